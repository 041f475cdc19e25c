// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPalette>
#include <QString>

class QApplication;

namespace tolvane {

// The colours the viewer starts with. By default they are the desktop's
// (its style and its palette, dark or light). TOLVANE_THEME=sombre (or
// "dark") in the environment gives the Fusion style with darkPalette(),
// whatever the desktop says; the command line is not involved.
QPalette darkPalette();

// Whether a TOLVANE_THEME value asks for the dark palette.
bool wantsDarkTheme(const QString& value);

// Applies TOLVANE_THEME to the application; true when the dark palette was
// set (the icons then take their dark variants, see AppServices).
bool applyThemeFromEnvironment(QApplication& application);

// The resource path of the icon name (":/icons/name.svg"), or, when dark,
// of its variant for the dark palette (":/icons/sombre/name.svg", strokes
// light enough to read on the dark bars) where it has one.
QString themedIconPath(const QString& name, bool dark);

} // namespace tolvane
