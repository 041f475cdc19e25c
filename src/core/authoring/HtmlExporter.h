// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"
#include "core/articles/DataSourcePaths.h"
#include "core/authoring/BuildMessages.h"
#include "core/rtf/RichDocument.h"

#include <string>
#include <vector>

namespace tolvane::authoring {

// Writes a data source as a static web site in a folder:
//   index.html          article 1
//   article-N.html      one page per non-popup article
//   recherche.html      a search page over titles and texts (no server)
//   index-recherche.js  the search page's data
//   tolvane.css, tolvane.js
// Every page carries the outline as a navigation tree; links to popup
// articles open the popup's text as a note inside the page. Pictures are
// embedded as data: URLs, so the site uses no resource from elsewhere.
// Pages are UTF-8.
class HtmlExporter {
public:
    explicit HtmlExporter(BuildMessages& messages) : m_messages(messages) {}
    // False when the data source cannot be read or a file cannot be written.
    bool exportSite(const DataSourcePaths& paths, const std::string& folder,
                    const std::string& siteTitle);
    size_t pageCount() const { return m_pages; }

private:
    BuildMessages& m_messages;
    size_t m_pages = 0;
};

// A standalone UTF-8 page (no resource from elsewhere) showing a document
// as the exported site shows an article body: tables, footnotes, borders,
// shading, pictures. Each link goes to its article's page (article-N.html,
// index.html for article 1). `title` is Windows-1252.
std::string DocumentHtml(const rtf::RichDocument& doc, const std::string& title,
                         const std::vector<LinkRecord>& links = {});

} // namespace tolvane::authoring
