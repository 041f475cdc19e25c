// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RtfReader.h"
#include "core/rtf/TextFinder.h"
#include "core/search/SearchEngine.h"

#include <string>
#include <string_view>

namespace tolvane {

// The test of one article against a search request, reused for every
// article of a pass so that its buffers and text finder are built once.
// One matcher per thread: it keeps scratch state between calls.
class ArticleMatcher {
public:
    explicit ArticleMatcher(const SearchRequest& request);

    // Popup articles are skipped before any test.
    static bool skipped(std::string_view title) { return IsPopupTitle(title); }
    bool titleMatches(std::string_view title) const;
    // Whether the body needs to be read after the title test gave titleMatch.
    bool needsBody(bool titleMatch) const { return !titleMatch && m_request.inText; }
    // The text test on a raw RTF body: a find in the whole of the text the
    // article view shows for it (hidden text, field instructions and the
    // other groups the view leaves out are not searched).
    bool textMatches(std::string_view body);

private:
    const SearchRequest& m_request;
    rtf::TextFinder m_finder;
    rtf::RtfTextReader m_reader;
};

} // namespace tolvane
