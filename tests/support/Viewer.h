// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window tests' viewer: the real application on a data source (the
// standard fixture below, one the test writes, or one already on disk such
// as the bundled guide), with services that record message boxes, answer
// questions and log or refuse the writes of the user files. Started by the
// test, so that it can prepare the files first; ended when the object goes.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "core/articles/DataSourceWriter.h"
#include "core/common/SystemFileOperations.h"
#include "core/stores/AnnotationStore.h"
#include "core/stores/BookmarkFile.h"
#include "support/TempDir.h"
#include "ui/base/AnnotationHooks.h"
#include "ui/base/AppServices.h"
#include "ui/base/CommandTable.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/panes/CBookmarkNameDialog.h"
#include "ui/panes/CFindDialog.h"
#include "ui/panes/CListWindow.h"
#include "ui/view/CTolvaneView.h"
#include "ui/view/RichTextEdit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tolvane::test {

// The real file system, with a log of the writes ("replace .SIG"); the
// files whose names end in one of the refused extensions act as on a full
// disk, untouched.
class TestFiles : public SystemFileOperations {
public:
    std::vector<std::string> log;
    std::vector<std::string> refusedExtensions;

    int appendSynced(const std::string& path, uint64_t offset, std::string_view bytes) override {
        return run("append", path,
                   [&] { return SystemFileOperations::appendSynced(path, offset, bytes); });
    }
    int replaceAtomically(const std::string& path, std::string_view bytes) override {
        return run("replace", path,
                   [&] { return SystemFileOperations::replaceAtomically(path, bytes); });
    }
    int remove(const std::string& path) override {
        return run("remove", path, [&] { return SystemFileOperations::remove(path); });
    }

private:
    int run(const char* what, const std::string& path, const std::function<int()>& operation) {
        const std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : path;
        for (const std::string& refused : refusedExtensions) {
            if (ext == refused) {
                log.push_back(std::string("refused ") + what + " " + ext);
                return ENOSPC;
            }
        }
        log.push_back(std::string(what) + " " + ext);
        return operation();
    }
};

// Message boxes recorded instead of shown, questions answered with answer.
class RecordingServices : public AppServices {
public:
    TestFiles files;
    QStringList captions;
    QStringList messages;
    QStringList questions;
    QMessageBox::StandardButton answer = QMessageBox::No;

    FileOperations& Files() override { return files; }
    QMessageBox::StandardButton MessageBox(QWidget*, const QString& caption, const QString& text,
                                           QMessageBox::Icon) override {
        captions << caption;
        messages << text;
        return QMessageBox::Ok;
    }
    QMessageBox::StandardButton question(QWidget*, const QString&, const QString& text) override {
        questions << text;
        return answer;
    }
};

// Stands for the annotation pane: notes in log what the main frame asks of
// it ("commit 2", "load 2", "save annotations").
class RecordingHooks : public AnnotationHooks {
public:
    explicit RecordingHooks(std::vector<std::string>& log) : m_log(log) {}
    ArticleNumber annotated = 0; // the one article that has an annotation

    bool CommitAnnotation(ArticleNumber article) override {
        m_log.push_back("commit " + std::to_string(article));
        return true;
    }
    bool LoadAnnotation(ArticleNumber article) override {
        m_log.push_back("load " + std::to_string(article));
        m_loaded = article;
        return article == annotated;
    }
    void SaveAnnotations() override { m_log.push_back("save annotations"); }
    bool IsAnnotationEmpty() const override { return m_loaded != annotated; }

private:
    std::vector<std::string>& m_log;
    ArticleNumber m_loaded = 0;
};

// The standard fixture's first line, with its anchors:
//   "Aller a Deux, Note, Rien, Double."
//            8-11  14-17 20-23 26-31, and 28-32 overlapping the last
// Deux -> 2, Note -> 50 (popup), Rien -> 999 (absent), Double -> 3, the
// overlap -> 2. Articles 2 and 3 are long enough to scroll.
constexpr int kFirstLinkFirst = 8, kFirstLinkLast = 11;
constexpr int kPopupLinkFirst = 14, kMissingLinkFirst = 20;
constexpr int kDoubleLinkFirst = 26, kOverlapOnly = 32;

// An RTF body whose displayed text is the ASCII text given.
inline std::string plainBody(const std::string& text) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 " + text + "\\par}";
}

inline std::string longBody(const std::string& name, int lines) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 ";
    for (int i = 0; i < lines; ++i)
        rtf += name + " ligne " + std::to_string(i) + "\\par ";
    return rtf + "}";
}

inline void writeFixture(const std::string& base) {
    std::string home = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 "
                       "Aller a Deux, Note, Rien, Double.\\par ";
    for (int i = 1; i <= 120; ++i)
        home += "Ligne " + std::to_string(i) + "\\par ";
    DataSourceWriter w;
    w.addArticle(
        1, "Accueil", home + "}",
        {{8, 11, 2, 0}, {14, 17, 50, 0}, {20, 23, 999, 0}, {26, 31, 3, 0}, {28, 32, 2, 0}});
    w.addArticle(2, "Deux", longBody("Deux", 200), {{0, 3, 1, 0}});
    w.addArticle(3, "G\xE9n\xE9ralit\xE9s", longBody("Trois", 200));
    w.addArticle(50, "#POPUP:Une note", plainBody("Texte de la note."));
    OutlineRecord root;
    root.nodeKey = "1";
    root.title = "Accueil";
    root.article = 1;
    w.addOutline(root);
    w.write(base);
}

class Viewer {
public:
    TempDir dir;
    std::string base; // the data source
    RecordingServices services;
    // Attached in place of the annotation pane when set before start().
    bool recordHooks = false;
    RecordingHooks hooks{services.files.log};
    // Where the user files go (the /A switch); beside the data source when empty.
    std::string userBase;
    // Where the reading place is kept between runs; nowhere when empty.
    std::string readingFolder;
    std::unique_ptr<CTolvaneApp> app;

    // On the standard fixture, written in dir.
    Viewer() : base(dir.file("guide")) { writeFixture(base); }
    // On source, written in dir.
    explicit Viewer(const DataSourceWriter& source) : base(dir.file("guide")) {
        source.write(base);
    }
    // On a data source of others (the bundled guide, the corpus): the user
    // files go to dir, and the single-instance socket to a folder of its
    // own, so that test programs running at the same time on it do not hand
    // their start over to one another.
    explicit Viewer(std::string dataSource)
        : base(std::move(dataSource)), userBase(dir.file("user")), m_shared(true) {}
    ~Viewer() { stop(); }
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    static std::string guide() { return TOLVANE_BINARY_DIR "/GUIDE"; }
    static bool guideBuilt() {
        return QFile::exists(QStringLiteral(TOLVANE_BINARY_DIR "/GUIDE.PGD"));
    }

    // Puts the user files in a folder of their own, dir/perso, under the
    // name the viewer gives them (PERSO); returns the folder.
    std::string useOwnFolder() {
        const std::string folder = dir.file("perso");
        ::mkdir(folder.c_str(), 0755);
        userBase = folder + "/PERSO";
        return folder;
    }

    // Starts the application with /D:, /A: and args, what the services
    // recorded cleared; true once the first article is loaded.
    bool start(const std::vector<std::string>& args = {}) {
        stop();
        services.captions.clear();
        services.messages.clear();
        services.questions.clear();
        services.files.log.clear();
        std::vector<std::string> all{"/D:" + base};
        if (!userBase.empty())
            all.push_back("/A:" + userBase);
        if (m_shared) {
            const std::string runtime = dir.file("run");
            ::mkdir(runtime.c_str(), 0700);
            m_runtime = qgetenv("XDG_RUNTIME_DIR");
            qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
        }
        all.insert(all.end(), args.begin(), args.end());
        app = std::make_unique<CTolvaneApp>(services);
        app->setReadingStateFolder(readingFolder);
        if (!app->InitInstance(all, "/nonexistent/tolvane"))
            return false;
        if (recordHooks)
            frame()->setAnnotationHooks(&hooks);
        return QTest::qWaitFor([this] { return frame()->initialLoadDone(); });
    }
    // Started, then the main window shown on screen and made active.
    bool show(const std::vector<std::string>& args = {}) {
        if (!start(args))
            return false;
        frame()->show();
        if (!QTest::qWaitForWindowExposed(frame()))
            return false;
        QApplication::setActiveWindow(frame());
        return true;
    }
    // The focus given to the article view; true once it has it.
    bool focusView() const {
        view()->setFocus();
        return QTest::qWaitFor([this] { return view()->hasFocus(); });
    }
    // Ends the application (as at the end of the run, the window closed or not).
    void stop() {
        if (!app)
            return;
        if (frame() != nullptr)
            frame()->setAnnotationHooks(nullptr);
        app->ExitInstance();
        app.reset();
        if (m_shared && m_runtime.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else if (m_shared)
            qputenv("XDG_RUNTIME_DIR", m_runtime);
    }

    CMainFrame* frame() const { return app->mainFrame(); }
    CTolvaneView* view() const { return frame()->view(); }
    CAnnotationBar* bar() const { return qobject_cast<CAnnotationBar*>(frame()->annotationBar()); }
    CFindDialog* find() const { return app->findDialog(); }
    CListWindow* history() const { return app->historyWindow(); }
    CListWindow* results() const { return app->resultsWindow(); }
    CListWindow* bookmarks() const { return app->bookmarksWindow(); }
    QString note() const { return bar()->edit()->toPlainText(); }
    void trigger(int command) const { frame()->action(command)->trigger(); }
    void close() const { frame()->close(); }

    // The find window's controls.
    template <typename T> T* control(const char* name) const {
        return find()->findChild<T*>(QString::fromLatin1(name));
    }
    QComboBox* combo() const { return control<QComboBox>("findText"); }
    QAbstractButton* button(const char* name) const { return control<QAbstractButton>(name); }
    // Clicks the box or radio button when its state differs, as a user does.
    void setChecked(const char* name, bool on) const {
        QAbstractButton* b = button(name);
        if (b->isChecked() != on)
            b->click();
    }
    // Replaces the find window's text by typing text.
    void typeFindText(const QString& text) const;
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
        typeFindText(text);
        button("searchButton")->click();
    }

private:
    bool m_shared = false;
    QByteArray m_runtime;
};

// Types text into widget key by key, accented letters included; a line
// feed is the Return key.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c == u'\n') {
            QTest::keyClick(widget, Qt::Key_Return);
        } else {
            // ASCII letters with their key, as a keyboard gives them.
            const Qt::Key key = c.isLetter() && c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode())
                                                                   : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), {});
            QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), {});
        }
    }
}

inline void Viewer::typeFindText(const QString& text) const {
    QLineEdit* edit = combo()->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

// The middle of character position's cell, in viewport coordinates.
inline QPoint middleOf(const RichTextEdit* edit, int position) {
    const QPoint a = edit->posFromChar(position);
    const QPoint b = edit->posFromChar(position + 1);
    const int x = b.y() == a.y() && b.x() > a.x() ? (a.x() + b.x()) / 2 : a.x() + 2;
    QTextCursor cursor(edit->document());
    cursor.setPosition(edit->toWidgetPosition(position));
    return QPoint(x, a.y() + edit->cursorRect(cursor).height() / 2);
}

// The number of the article titled title (Windows-1252), 0 when none: the
// guide's numbers move as it grows, its titles stay.
inline ArticleNumber articleTitled(CMainFrame* frame, const std::string& title) {
    for (ArticleNumber n = 1; n < 1000; ++n) {
        if (frame->store().FindEntry(n) != nullptr && frame->store().ReadArticleTitle(n) == title)
            return n;
    }
    return 0;
}

// The texts of a list window's rows.
inline QStringList rowTexts(const CListWindow* window) {
    QStringList texts;
    for (int i = 0; i < window->RowCount(); ++i)
        texts << window->listBox()->item(i)->text();
    return texts;
}

// Selects row i of a list window and double-clicks it.
inline void openRow(CListWindow* window, int i) {
    QListWidget* list = window->listBox();
    list->setCurrentRow(i);
    const QPoint point = list->visualItemRect(list->item(i)).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
}

// Runs act on the next modal name dialog once it is shown.
inline void onNameDialog(std::function<void(CBookmarkNameDialog*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<CBookmarkNameDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start(10);
}

// Answers the next name dialog with name ("&Valider"), or cancels it; sets
// *answered once it has.
inline void answerNameDialog(const QString& name, bool validate = true, QString* caption = nullptr,
                             QString* proposed = nullptr, bool* answered = nullptr) {
    onNameDialog([=](CBookmarkNameDialog* dialog) {
        if (answered)
            *answered = true;
        if (caption)
            *caption = dialog->windowTitle();
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("edit1022"));
        if (proposed)
            *proposed = edit->text();
        edit->setText(name);
        QTest::mouseClick(dialog->findChild<QPushButton*>(validate ? QStringLiteral("button1")
                                                                   : QStringLiteral("button2")),
                          Qt::LeftButton);
    });
}

// Leaves under userBase what an earlier run would have: note on article 3
// and, when one is named, a bookmark on article 2.
inline void writeEarlierRun(const std::string& userBase, const std::string& note,
                            const std::string& bookmark = {}) {
    AnnotationStore earlier;
    earlier.OpenAnnotations(userBase);
    earlier.CommitAnnotation(3, note);
    earlier.SaveAnnotations();
    if (!bookmark.empty())
        BookmarkFile::SaveBookmarks(userBase + ".SIG", {{bookmark, 2}});
}

// The records of a .NOT file: article -> text (Windows-1252).
using NoteTexts = std::map<ArticleNumber, std::string>;
inline NoteTexts noteRecords(const std::string& bytes) {
    NoteTexts records;
    const auto at = [&](size_t offset) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(bytes[offset + size_t(i)]);
        return static_cast<int32_t>(v);
    };
    if (bytes.size() < 4)
        return records;
    size_t offset = 4;
    for (int32_t i = 0; i < at(0) && offset + 8 <= bytes.size(); ++i) {
        const int32_t article = at(offset);
        const int32_t length = at(offset + 4);
        if (length < 0 || offset + 8 + size_t(length) > bytes.size())
            break;
        records[article] = bytes.substr(offset + 8, size_t(length));
        offset += 8 + size_t(length);
    }
    return records;
}

} // namespace tolvane::test
