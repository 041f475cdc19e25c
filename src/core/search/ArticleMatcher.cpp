// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/search/ArticleMatcher.h"

#include "core/common/Cp1252.h"
#include "core/rtf/RtfReader.h"

namespace tolvane {

ArticleMatcher::ArticleMatcher(const SearchRequest& request)
    : m_request(request), m_finder(cp1252::toUtf16(request.text),
                                   rtf::FindOptions{request.matchCase, request.wholeWord}) {}

bool ArticleMatcher::titleMatches(std::string_view title) const {
    return m_request.inTitle && TitleMatches(title, m_request.text, m_request.matchCase);
}

bool ArticleMatcher::textMatches(std::string_view body) {
    return m_finder.find(m_reader.displayedText(body)) >= 0;
}

} // namespace tolvane
