// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

namespace tolvane {

// What the main frame asks of the annotation pane when the article changes
// and when the window closes. The pane implements it; until one is attached
// the frame behaves as if no article had an annotation.
class AnnotationHooks {
public:
    virtual ~AnnotationHooks() = default;
    // Records the pane's text as the annotation of article.
    virtual bool CommitAnnotation(ArticleNumber article) = 0;
    // Puts the article's annotation into the pane; true when it has one.
    virtual bool LoadAnnotation(ArticleNumber article) = 0;
    // Writes the annotation file.
    virtual void SaveAnnotations() = 0;
    virtual bool IsAnnotationEmpty() const = 0;
};

} // namespace tolvane
