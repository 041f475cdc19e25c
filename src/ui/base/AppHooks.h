// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

#include <QMessageBox>
#include <QPoint>

#include <optional>
#include <string>

class QWidget;

namespace tolvane {

class NavigationHistory;

// What the find window and the list windows ask of the application: the
// navigation, the search over all articles, the find in the article on
// screen and the application's message box. The application implements it.
class AppHooks {
public:
    virtual ~AppHooks() = default;
    virtual bool ShowArticle(ArticleNumber number, int position) = 0;
    virtual NavigationHistory& history() = 0;
    // Reads the bookmark file into the bookmarks window.
    virtual void LoadBookmarks() = 0;
    // Searches every article (text in Windows-1252), and with inNotes the
    // user's annotations, and fills the results window; true when something
    // matched.
    virtual bool SearchArticles(const std::string& text, bool matchCase, bool wholeWord,
                                bool inTitle, bool inText, bool inNotes = false) = 0;
    // Selects the next occurrence of text in the view; its start or -1.
    virtual int HighlightQuery(const std::string& text, bool matchCase, bool wholeWord) = 0;
    // Finds text in the article on screen, from its start or from the
    // selection; the start of the occurrence or -1 (also without a view).
    virtual int FindInArticle(const std::u16string& text, bool matchCase, bool wholeWord,
                              bool fromStart) = 0;
    // The screen point of the start of the view's selection, when there is a
    // view.
    virtual std::optional<QPoint> selectionScreenPoint() const = 0;
    // The title of an article, in Windows-1252; empty when unknown.
    virtual std::string articleTitle(ArticleNumber number) = 0;
    // The main window, once it exists.
    virtual QWidget* mainWindow() const = 0;
    virtual QMessageBox::StandardButton AppMessageBox(const QString& text,
                                                      QMessageBox::Icon icon) = 0;
    // The resource path of the icon name in the run's theme.
    virtual QString iconPath(const QString& name) const = 0;
};

} // namespace tolvane
