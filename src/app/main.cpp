#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "ui/base/AppServices.h"
#include "ui/base/Theme.h"
#include "ui/panes/CAnnotationBar.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// For the tests of a run that is killed: types the notes "N=text|N=text"
// into the annotation pane one article after the other, as a user would,
// then writes "notes typed" on the standard output once the pause after
// the last one has committed it.
void typeNotes(tolvane::CTolvaneApp& app, const QString& notes) {
    auto* bar = qobject_cast<tolvane::CAnnotationBar*>(app.mainFrame()->annotationBar());
    if (bar == nullptr)
        return;
    for (const QString& entry : notes.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        if (equals < 0 || !app.ShowArticle(entry.left(equals).toInt(), 0))
            continue;
        bar->edit()->selectAll();
        bar->edit()->insertPlainText(entry.mid(equals + 1));
    }
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, poll, [bar, poll] {
        if (bar->idleCommitPending())
            return;
        poll->stop();
        std::fputs("notes typed\n", stdout);
        std::fflush(stdout);
    });
    poll->start(20);
}

// For scripts and tests that run the viewer where nobody answers: with
// TOLVANE_MESSAGES=stderr its message boxes are written to the standard
// error ("caption: text") and answered at once (OK, or No to a question).
class StderrServices : public tolvane::AppServices {
public:
    QMessageBox::StandardButton MessageBox(QWidget*, const QString& caption, const QString& text,
                                           QMessageBox::Icon) override {
        write(caption, text);
        return QMessageBox::Ok;
    }
    QMessageBox::StandardButton Question(QWidget*, const QString& caption,
                                         const QString& text) override {
        write(caption, text);
        return QMessageBox::No;
    }

private:
    static void write(const QString& caption, const QString& text) {
        std::fputs((caption + QStringLiteral(": ") + text + QLatin1Char('\n')).toUtf8().constData(),
                   stderr);
        std::fflush(stderr);
    }
};

} // namespace

int main(int argc, char** argv) {
    // The switches are read as given, before Qt takes its own options out.
    const std::vector<std::string> args(argv + 1, argv + argc);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEK-Info"));
    tolvane::ApplyThemeFromEnvironment(application);
    const std::string exePath =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();

    tolvane::AppServices desktopServices;
    StderrServices stderrServices;
    const bool toStderr = qEnvironmentVariable("TOLVANE_MESSAGES") == QLatin1String("stderr");
    tolvane::AppServices& services = toStderr ? stderrServices : desktopServices;
    tolvane::CTolvaneApp app(services);
    int code = 0;
    if (app.InitInstance(args, exePath)) {
        const QString notes = qEnvironmentVariable("TOLVANE_TYPE_NOTES");
        if (!notes.isEmpty())
            QObject::connect(app.mainFrame(), &tolvane::CMainFrame::initialLoadFinished, &app,
                             [&app, notes] { typeNotes(app, notes); });
        code = application.exec();
    }
    const int status = app.ExitInstance();
    return code != 0 ? code : status;
}
