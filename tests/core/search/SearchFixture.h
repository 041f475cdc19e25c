// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleStore.h"
#include "core/articles/DataSourceWriter.h"
#include "core/common/Cp1252.h"
#include "core/search/SearchEngine.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane::test {

// An RTF document whose displayed text is the Windows-1252 text given
// (bytes from 0x80 written as \'hh, as authoring tools do).
inline std::string rtfBody(const std::string& text) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\pard ";
    cp1252::appendRtfText(rtf, text);
    return rtf + "\\par}";
}

// The small data source of the search tests: accented and upper-case
// titles, popups, an untitled article, formatting groups, hidden text, a
// field and a body that is not RTF.
inline DataSourceWriter smallSource() {
    DataSourceWriter w;
    w.addArticle(1, "Accueil", rtfBody("Bienvenue dans l'aide"));
    w.addArticle(2,
                 "\xC9"
                 "COLE PRIMAIRE",
                 rtfBody("Les classes"));
    w.addArticle(3, "Transport", rtfBody("Les voyages"));
    w.addArticle(4, "Voyages", rtfBody("Le transport public"));
    w.addArticle(5, "#POPUP:port", rtfBody("port"));
    w.addArticle(6, "",
                 rtfBody("port \xE9"
                         "cole"));
    w.addArticle(7,
                 "Port de p\xEA"
                 "che",
                 rtfBody("Le port de p\xEA"
                         "che"));
    w.addArticle(8, "Divers", rtfBody("Un port de mer"));
    // Text inside a formatting group is text like any other; hidden text
    // and a field's instruction are not shown, so not found.
    w.addArticle(9, "Groupes",
                 "{\\rtf1\\ansi avant {\\b gras} apr\\'e8s{\\v cach\\'e9}"
                 "{\\field{\\*\\fldinst HYPERLINK instruction}{\\fldrslt r\\'e9sultat}}\\par}");
    // A body that is not RTF at all is searched as the view shows it: its
    // text up to the end of its first group.
    w.addArticle(12, "Brut", "abc {123456xyz} def {uvwxyz} gh");
    w.addArticle(10, "Village",
                 rtfBody("L'\xE9"
                         "cole du village"));
    w.addArticle(11, "#Note", rtfBody("voyages"));
    return w;
}

// A data source written into a temporary folder and its loaded index.
class SearchFixture {
public:
    explicit SearchFixture(const DataSourceWriter& writer)
        : m_store(DataSourcePaths::fromBase(m_dir.file("AIDE")), m_index) {
        std::string error;
        EXPECT_TRUE(writer.write(m_dir.file("AIDE"), &error)) << error;
        m_store.LoadIndex();
    }

    const ArticleStore& store() const { return m_store; }

    // The article numbers in the index's enumeration order.
    std::vector<ArticleNumber> enumerationOrder() const {
        std::vector<ArticleNumber> order;
        m_store.ForEachArticle([&](ArticleNumber n, const std::string&, ArticleStore::BodyReader&) {
            order.push_back(n);
            return true;
        });
        return order;
    }

    std::vector<ArticleNumber> search(const SearchRequest& request, unsigned threads = 1) const {
        std::vector<ArticleNumber> found;
        for (const SearchMatch& m : SearchEngine(m_store, threads).SearchArticles(request))
            found.push_back(m.article);
        return found;
    }

private:
    TempDir m_dir;
    ArticleIndex m_index;
    ArticleStore m_store;
};

} // namespace tolvane::test
