// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

class QAction;
class QString;

namespace tolvane {

// What the article view asks of the window around it when it shows an
// article or opens its context menu. The main frame implements it.
class ViewHooks {
public:
    virtual ~ViewHooks() = default;
    // Commits the annotation of the article being left, then loads the one
    // of the article coming.
    virtual bool SaveArticleAnnotation(ArticleNumber article) = 0;
    virtual bool LoadArticleAnnotation(ArticleNumber article) = 0;
    // The caption of the window: window title, " - " and the article title.
    virtual void setCaption(const QString& caption) = 0;
    // Brings the enabled and checked states of the commands up to date.
    virtual void updateCommandStates() = 0;
    // The command with this id, or null.
    virtual QAction* action(int id) const = 0;
};

} // namespace tolvane
