// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/base/Theme.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

// The icons are built into this library. A static library's resources are
// registered by name: here, as a program that links the palette and icon
// paths starts, before any window or test asks for an icon.
static void initResources() {
    Q_INIT_RESOURCE(tolvane);
}
static const bool kIconsRegistered = (initResources(), true);

namespace tolvane {

QPalette darkPalette() {
    const QColor window(45, 45, 48);
    const QColor base(30, 30, 32);
    const QColor text(230, 230, 230);
    const QColor disabled(128, 128, 128);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabled);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 96, 96));
    p.setColor(QPalette::Light, QColor(75, 75, 80));
    p.setColor(QPalette::Midlight, QColor(60, 60, 64));
    p.setColor(QPalette::Mid, QColor(38, 38, 40));
    p.setColor(QPalette::Dark, QColor(25, 25, 27));
    p.setColor(QPalette::Shadow, QColor(10, 10, 10));
    p.setColor(QPalette::Highlight, QColor(42, 110, 190));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(110, 170, 255));
    p.setColor(QPalette::LinkVisited, QColor(180, 140, 255));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(70, 70, 74));
    return p;
}

bool wantsDarkTheme(const QString& value) {
    const QString v = value.trimmed().toLower();
    return v == QLatin1String("sombre") || v == QLatin1String("dark");
}

bool applyThemeFromEnvironment(QApplication& application) {
    if (!wantsDarkTheme(qEnvironmentVariable("TOLVANE_THEME")))
        return false;
    // Fusion draws every control from the palette, so all of them follow it.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    application.setPalette(darkPalette());
    return true;
}

QString themedIconPath(const QString& name, bool dark) {
    if (dark) {
        const QString dark = QStringLiteral(":/icons/sombre/%1.svg").arg(name);
        if (QFile::exists(dark))
            return dark;
    }
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

} // namespace tolvane
