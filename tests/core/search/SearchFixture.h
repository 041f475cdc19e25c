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
