// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzScratchFile.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::FuzzScratchFile file("F.NO$");
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
        fuzz::CheckBodyAt(input, record, text);
    }
    if (validEnd != expectedEnd || validEnd > input.size())
        std::abort();

    // Without a writable .NOT the pending texts stay the store's own.
    fuzz::ReadOnlyAnnotations pending(file);
    return 0;
}
