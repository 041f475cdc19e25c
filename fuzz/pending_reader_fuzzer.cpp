// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzScratchFile.h"
#include "core/common/InputFile.h"
#include "core/stores/AnnotationFile.h"
#include "core/stores/AnnotationStore.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::FuzzScratchFile file("F.NO$");
    static fuzz::NoWriteFileOperations files;
    file.write(data, size);

    InputFile input(file.path());
    uint64_t validEnd = 0;
    std::string text;
    uint64_t expectedEnd = 0;
    for (const AnnotationLocation& record : AnnotationFile::ReadPendingIndex(input, &validEnd)) {
        // Records follow one another with no gap.
        if (record.bodyOffset != expectedEnd + 4)
            std::abort();
        expectedEnd = record.bodyOffset + 4 + record.length;
        if (!AnnotationFile::ReadBodyAt(input, record.bodyOffset, text) ||
            text.size() != record.length)
            std::abort();
    }
    if (validEnd != expectedEnd || validEnd > input.size())
        std::abort();

    // Without a writable .NOT the pending texts stay the store's own.
    AnnotationStore store(files);
    store.OpenAnnotations(file.dir() + "F");
    for (ArticleNumber article : {-1, 0, 1, 2, 12})
        store.LoadAnnotation(article);
    return 0;
}
