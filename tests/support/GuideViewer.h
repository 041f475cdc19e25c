#pragma once

// The viewer running on the bundled guide as built into the build folder,
// its user files in a temporary folder and its message boxes recorded;
// ended when the object goes. Tests using it skip when the guide is absent.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "support/ViewerFixture.h"
#include "ui/view/CTolvaneView.h"

#include <QFile>
#include <QTest>

#include <memory>
#include <string>

namespace tolvane::test {

struct GuideViewer {
    static std::string guideBase() { return TOLVANE_BINARY_DIR "/GUIDE"; }
    static bool guideBuilt() {
        return QFile::exists(QStringLiteral(TOLVANE_BINARY_DIR "/GUIDE.PGD"));
    }

    TempDir dir;
    RecordingServices services;
    std::unique_ptr<CTolvaneApp> app;
    bool started = false;

    GuideViewer() {
        app = std::make_unique<CTolvaneApp>(services);
        started = app->InitInstance({"/D:" + guideBase(), "/A:" + dir.file("user")},
                                    "/nonexistent/tolvane");
    }
    ~GuideViewer() { app->ExitInstance(); }
    GuideViewer(const GuideViewer&) = delete;
    GuideViewer& operator=(const GuideViewer&) = delete;

    // Started and the first article loaded.
    bool waitLoaded() {
        return started && QTest::qWaitFor([this] { return frame()->initialLoadDone(); });
    }
    // Loaded, then the window on screen.
    bool showLoaded() {
        if (!waitLoaded())
            return false;
        frame()->show();
        return QTest::qWaitForWindowExposed(frame());
    }
    CMainFrame* frame() const { return app->mainFrame(); }
    CTolvaneView* view() const { return frame()->view(); }
};

} // namespace tolvane::test
