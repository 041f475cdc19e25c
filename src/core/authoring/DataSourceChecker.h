// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/DataSourcePaths.h"
#include "core/authoring/BuildMessages.h"

#include <string>

namespace tolvane::authoring {

// Reads a data source as the viewer would and reports what would go wrong
// there. Errors: a link whose target is not in the index, an anchor outside
// its article's displayed text (in the viewer's numbering) or with
// first > last, overlapping anchors of one article, an outline node whose
// article is not in the index or whose reference key names no earlier
// node, a missing article 1, duplicate index numbers, numbers below 1, a
// record that runs past the end of its file, a missing or unreadable file,
// a keyword of the optional .PGK leading to an article not in the index, a
// damaged or unreadable .PGK.
// Warnings: articles reached neither from article 1's links (followed
// through every article) nor from the outline nor from the keywords, a .PGH length that is not a
// multiple of 16, an outline without its end record.
class DataSourceChecker {
public:
    explicit DataSourceChecker(BuildMessages& findings) : m_findings(findings) {}
    void check(const DataSourcePaths& paths);

private:
    BuildMessages& m_findings;
};

} // namespace tolvane::authoring
