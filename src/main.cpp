#include "shell/AppServices.h"
#include "shell/CTolvaneApp.h"

#include <QApplication>
#include <QFile>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The switches are read as given, before Qt takes its own options out.
    const std::vector<std::string> args(argv + 1, argv + argc);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VEK-Info"));
    const std::string exePath =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();

    tolvane::AppServices services;
    tolvane::CTolvaneApp app(services);
    int code = 0;
    if (app.InitInstance(args, exePath))
        code = application.exec();
    app.ExitInstance();
    return code;
}
