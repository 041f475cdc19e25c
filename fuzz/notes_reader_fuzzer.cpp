// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzScratchFile.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::FuzzScratchFile file("F.NOT");
    file.write(data, size);

    InputFile input(file.path());
    std::string text;
    for (const AnnotationLocation& record : AnnotationFile::ReadPermanentIndex(input)) {
        if (record.bodyOffset + 4 + record.length > input.size())
            std::abort();
        fuzz::CheckBodyAt(input, record, text);
    }

    fuzz::ReadOnlyAnnotations notes(file);
    notes.store.CommitAnnotation(1, "x");
    notes.store.SaveAnnotations();
    return 0;
}
