// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ViewerMain.h"

#include "app/CTolvaneApp.h"
#include "core/startup/PerUserFolder.h"
#include "ui/base/AppServices.h"
#include "ui/base/Theme.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <string>
#include <vector>

namespace tolvane {
namespace {

// For scripts and tests that run the viewer where nobody answers: with
// TOLVANE_MESSAGES=stderr its message boxes are written to the standard
// error ("caption: text") and answered at once (OK, or No to a question).
class StderrServices : public AppServices {
public:
    QMessageBox::StandardButton MessageBox(QWidget*, const QString& caption, const QString& text,
                                           QMessageBox::Icon) override {
        write(caption, text);
        return QMessageBox::Ok;
    }
    QMessageBox::StandardButton question(QWidget*, const QString& caption,
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

int runViewer(int argc, char** argv, const std::function<void(CTolvaneApp&)>& started) {
    // The switches are read as given, before Qt takes its own options out.
    const std::vector<std::string> args(argv + 1, argv + argc);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEK-Info"));
    // The desktop matches the window to the installed entry (its icon, its
    // name in the task bar) by this name; on Wayland it is the app id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tolvane.viewer"));
    const bool dark = applyThemeFromEnvironment(application);
    const std::string exePath =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();

    AppServices desktopServices;
    StderrServices stderrServices;
    const bool toStderr = qEnvironmentVariable("TOLVANE_MESSAGES") == QLatin1String("stderr");
    AppServices& services = toStderr ? stderrServices : desktopServices;
    services.setDarkIcons(dark);
    CTolvaneApp app(services);
    app.setReadingStateFolder(ConfigFolder());
    int code = 0;
    if (app.InitInstance(args, exePath)) {
        if (started)
            started(app);
        code = application.exec();
    }
    // A failed start ends with status 1 (see CTolvaneApp::InitInstance).
    const int status = app.ExitInstance();
    return code != 0 ? code : status;
}

} // namespace tolvane
