// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The viewer running on the bundled guide as built into the build folder,
// its user files in a temporary folder and its message boxes recorded;
// ended when the object goes. Tests using it skip when the guide is absent.

#include "support/FixtureViewer.h"

#include <QFile>

#include <string>

namespace tolvane::test {

struct GuideViewer : FixtureViewer {
    static std::string guideBase() { return TOLVANE_BINARY_DIR "/GUIDE"; }
    static bool guideBuilt() {
        return QFile::exists(QStringLiteral(TOLVANE_BINARY_DIR "/GUIDE.PGD"));
    }

    GuideViewer() : FixtureViewer(guideBase()) {}
};

} // namespace tolvane::test
