// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The real test material: the shared corpus of RTF written by other
// programs, and the bundled samples.

#include "support/TempDir.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tolvane::test {

inline std::string CorpusDir() {
    return std::string(TOLVANE_SHARED_DIR) + "/corpus";
}

inline std::string SamplesDir() {
    return std::string(TOLVANE_SOURCE_DIR) + "/samples";
}

// The regular files below the folders whose extension is the given one
// (lower case, with its dot) in any case, sorted. A folder that does not
// exist gives nothing, so a test on an absent corpus sees no file.
inline std::vector<std::string> FilesWithExtension(std::initializer_list<std::string> roots,
                                                   std::string_view extension) {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const std::string& root : roots) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::string ext = it->path().extension().string();
            for (char& c : ext)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (ext == extension && it->is_regular_file(ec))
                files.push_back(it->path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Calls check(path, bytes) for each of those files, under a trace naming it;
// returns how many there were.
template <typename Check>
size_t ForEachFile(std::initializer_list<std::string> roots, std::string_view extension,
                   Check check) {
    const std::vector<std::string> files = FilesWithExtension(roots, extension);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        check(file, TempDir::readFile(file));
    }
    return files.size();
}

// Calls check(bytes) for each RTF file of the corpus and of the samples; the
// samples at least are there.
template <typename Check> void ForEachCorpusRtf(Check check) {
    EXPECT_GT(ForEachFile({CorpusDir(), SamplesDir()}, ".rtf",
                          [&](const std::string&, const std::string& rtf) { check(rtf); }),
              0u);
}

} // namespace tolvane::test
