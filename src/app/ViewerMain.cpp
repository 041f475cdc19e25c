#include "app/ViewerMain.h"

#include "app/CTolvaneApp.h"
#include "ui/base/AppServices.h"
#include "ui/base/Theme.h"

#include <QApplication>
#include <QFile>

#include <string>
#include <vector>

namespace tolvane {

int RunViewer(int argc, char** argv, const std::function<void(CTolvaneApp&)>& started) {
    // The switches are read as given, before Qt takes its own options out.
    const std::vector<std::string> args(argv + 1, argv + argc);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEK-Info"));
    ApplyThemeFromEnvironment(application);
    const std::string exePath =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();

    AppServices services;
    CTolvaneApp app(services);
    int code = 0;
    if (app.InitInstance(args, exePath)) {
        if (started)
            started(app);
        code = application.exec();
    }
    app.ExitInstance();
    return code;
}

} // namespace tolvane
