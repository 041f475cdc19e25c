// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the window tests of the annotation pane and the bookmarks: a
// viewer running on the fixture data source with its real annotation pane
// and bookmarks window, services that record message boxes and answer
// questions, and files that record or refuse what the stores write.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "core/common/FileOperations.h"
#include "support/ViewerFixture.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/panes/CBookmarkNameDialog.h"
#include "ui/panes/CListWindow.h"
#include "ui/view/CTolvaneView.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace tolvane::test {

// The real file system, with a log of the writes; the files whose names
// end in one of the refused extensions act as on a full disk, untouched.
class TestFiles : public FileOperations {
public:
    std::vector<std::string> log;
    std::vector<std::string> refusedExtensions;

    int appendSynced(const std::string& path, uint64_t offset, std::string_view bytes) override {
        return run("append", path, [&] { return system().appendSynced(path, offset, bytes); });
    }
    int replaceAtomically(const std::string& path, std::string_view bytes) override {
        return run("replace", path, [&] { return system().replaceAtomically(path, bytes); });
    }
    bool openForReading(const std::string& path, InputFile& file) override {
        return system().openForReading(path, file);
    }
    int remove(const std::string& path) override {
        return run("remove", path, [&] { return system().remove(path); });
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

class NotesServices : public RecordingServices {
public:
    QStringList questions;
    QMessageBox::StandardButton answer = QMessageBox::No;
    TestFiles files;

    QMessageBox::StandardButton Question(QWidget*, const QString&, const QString& text) override {
        questions << text;
        return answer;
    }
    FileOperations& Files() override { return files; }
};

// A viewer on the fixture in dir, with the user files under userBase when
// given (the /A switch).
struct NotesViewer {
    NotesServices& services;
    std::unique_ptr<CTolvaneApp> app;
    bool started = false;

    NotesViewer(NotesServices& s, const std::string& base, const std::string& userBase = {})
        : services(s) {
        app = std::make_unique<CTolvaneApp>(services);
        std::vector<std::string> args{"/D:" + base};
        if (!userBase.empty())
            args.push_back("/A:" + userBase);
        started = app->InitInstance(args, "/nonexistent/tolvane") &&
                  QTest::qWaitFor([this] { return frame()->initialLoadDone(); });
    }
    ~NotesViewer() { app->ExitInstance(); }

    CMainFrame* frame() const { return app->mainFrame(); }
    CTolvaneView* view() const { return frame()->view(); }
    CAnnotationBar* bar() const { return qobject_cast<CAnnotationBar*>(frame()->annotationBar()); }
    CListWindow* bookmarks() const { return app->bookmarksWindow(); }
    QString note() const { return bar()->edit()->toPlainText(); }
    void trigger(int command) const { frame()->action(command)->trigger(); }
    void close() const { frame()->close(); }
};

// Types text into widget key by key, accented letters included.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c == u'\n') {
            QTest::keyClick(widget, Qt::Key_Return);
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), {});
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), {});
        }
    }
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

// The records of a .NOT file: article -> text (Windows-1252).
inline std::map<ArticleNumber, std::string> noteRecords(const std::string& bytes) {
    std::map<ArticleNumber, std::string> records;
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
