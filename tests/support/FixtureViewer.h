// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The viewer running on the standard fixture (writeFixture) or on a given
// data source, with its user files in the same temporary folder and message
// boxes recorded; ended when the object goes.

#include "app/CMainFrame.h"
#include "app/CTolvaneApp.h"
#include "support/ViewerFixture.h"
#include "ui/view/CTolvaneView.h"

#include <QTest>

#include <memory>
#include <string>
#include <sys/stat.h>

namespace tolvane::test {

struct FixtureViewer {
    TempDir dir;
    RecordingServices services;
    std::unique_ptr<CTolvaneApp> app;
    bool started = false;

    // On the standard fixture, written in dir.
    FixtureViewer() {
        const std::string base = dir.file("guide");
        writeFixture(base);
        start(base);
    }
    // On the data source at base.
    explicit FixtureViewer(const std::string& base) { start(base); }
    ~FixtureViewer() { app->ExitInstance(); }
    FixtureViewer(const FixtureViewer&) = delete;
    FixtureViewer& operator=(const FixtureViewer&) = delete;

    // Started and the first article loaded.
    bool waitLoaded() {
        return started && QTest::qWaitFor([this] { return frame()->initialLoadDone(); });
    }
    // Loaded, then the main window shown on screen.
    bool showLoaded() {
        if (!waitLoaded())
            return false;
        frame()->show();
        return QTest::qWaitForWindowExposed(frame());
    }
    CMainFrame* frame() const { return app->mainFrame(); }
    CTolvaneView* view() const { return frame()->view(); }

private:
    void start(const std::string& base) {
        // A folder of its own for the single-instance socket: test programs
        // that run at the same time on the same data source (the guide) must
        // not find each other's window and hand their start over.
        const std::string runtime = dir.file("run");
        ::mkdir(runtime.c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
        app = std::make_unique<CTolvaneApp>(services);
        started =
            app->InitInstance({"/D:" + base, "/A:" + dir.file("user")}, "/nonexistent/tolvane");
    }
};

} // namespace tolvane::test
