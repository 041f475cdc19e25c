// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the window tests of the find window and the list windows: a
// running viewer on a data source the test writes, with message boxes
// recorded, and a few helpers to drive the secondary windows.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "core/startup/DataSourceLocation.h"
#include "support/ViewerFixture.h"
#include "ui/base/QtText.h"
#include "ui/panes/CFindDialog.h"
#include "ui/panes/CListWindow.h"
#include "ui/view/CTolvaneView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace tolvane::test {

// An RTF body whose displayed text is the ASCII text given.
inline std::string plainBody(const std::string& text) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 " + text + "\\par}";
}

struct SearchViewer {
    TempDir dir;
    RecordingServices services;
    std::unique_ptr<CTolvaneApp> app;
    std::string base;
    bool started = false;

    explicit SearchViewer(const DataSourceWriter& writer,
                          const std::vector<std::string>& extra = {}) {
        base = dir.file("guide");
        writer.write(base);
        app = std::make_unique<CTolvaneApp>(services);
        std::vector<std::string> args{"/D:" + base};
        args.insert(args.end(), extra.begin(), extra.end());
        started = app->InitInstance(args, "/nonexistent/tolvane") &&
                  QTest::qWaitFor([this] { return frame()->initialLoadDone(); });
    }
    ~SearchViewer() { app->ExitInstance(); }

    CMainFrame* frame() const { return app->mainFrame(); }
    CTolvaneView* view() const { return frame()->view(); }
    CFindDialog* find() const { return app->findDialog(); }
    CListWindow* history() const { return app->historyWindow(); }
    CListWindow* results() const { return app->resultsWindow(); }
    CListWindow* bookmarks() const { return app->bookmarksWindow(); }
    QString windowTitle() const { return services.windowTitle(); }

    template <typename T> T* findControl(const char* name) const {
        return find()->findChild<T*>(QString::fromLatin1(name));
    }
    QComboBox* combo() const { return findControl<QComboBox>("findText"); }
    QAbstractButton* button(const char* name) const { return findControl<QAbstractButton>(name); }

    // Types text into the find window's field as the user would.
    void typeText(const QString& text) const {
        QLineEdit* edit = combo()->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        // Key events that carry their text, accented letters included.
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(edit, &press);
        }
    }
    // Sets the scope and the four options, then types text and presses Chercher.
    void search(const QString& text, bool allArticles = true, bool inTitle = true,
                bool inText = true, bool matchCase = false, bool wholeWord = false) const {
        // The title and text boxes can only be clicked in the all-articles scope.
        setChecked("allArticles", true);
        setChecked("inTitle", inTitle);
        setChecked("inText", inText);
        setChecked("matchCase", matchCase);
        setChecked("wholeWord", wholeWord);
        if (!allArticles)
            setChecked("currentArticle", true);
        typeText(text);
        button("searchButton")->click();
    }
    // Clicks the box or radio button when its state differs, as a user does.
    void setChecked(const char* name, bool on) const {
        QAbstractButton* b = button(name);
        if (b->isChecked() != on)
            b->click();
    }

    static QStringList rows(const CListWindow* window) {
        QStringList texts;
        for (int i = 0; i < window->RowCount(); ++i)
            texts << window->listBox()->item(i)->text();
        return texts;
    }
    // Selects row i of a list window and double-clicks it.
    static void openRow(CListWindow* window, int i) {
        QListWidget* list = window->listBox();
        list->setCurrentRow(i);
        const QPoint point = list->visualItemRect(list->item(i)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
    }
};

} // namespace tolvane::test
