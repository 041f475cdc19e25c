// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzScratchFile.h"
#include "core/common/InputFile.h"
#include "core/stores/AnnotationFile.h"
#include "core/stores/AnnotationStore.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::FuzzScratchFile file("F.NOT");
    static fuzz::NoWriteFileOperations files;
    file.write(data, size);

    InputFile input(file.path());
    std::string text;
    for (const AnnotationLocation& record : AnnotationFile::ReadPermanentIndex(input)) {
        if (record.bodyOffset + 4 + record.length > input.size())
            std::abort();
        if (!AnnotationFile::ReadBodyAt(input, record.bodyOffset, text) ||
            text.size() != record.length)
            std::abort();
    }

    AnnotationStore store(files);
    store.OpenAnnotations(file.dir() + "F");
    for (ArticleNumber article : {-1, 0, 1, 2, 12})
        store.LoadAnnotation(article);
    store.CommitAnnotation(1, "x");
    store.SaveAnnotations();
    return 0;
}
