// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace tolvane {

class FileOperations;

// What the windows ask of the desktop that a test must be able to answer
// instead: message boxes (which would block a test) and the event pump.
// The default implementation is the real one; tests derive and record.
class AppServices {
public:
    virtual ~AppServices() = default;

    // A message box with one OK button; returns the button pressed.
    virtual QMessageBox::StandardButton MessageBox(QWidget* owner, const QString& caption,
                                                   const QString& text, QMessageBox::Icon icon);

    // A question with the buttons "&Oui" and "&Non"; returns Yes or No.
    virtual QMessageBox::StandardButton question(QWidget* owner, const QString& caption,
                                                 const QString& text);

    // The files the per-user stores write through; tests make them fail.
    virtual FileOperations& Files();

    // The window title of the run, the caption of every message box; set by
    // the application once the start-up settings are known.
    void setWindowTitle(const QString& title) { m_windowTitle = title; }
    const QString& windowTitle() const { return m_windowTitle; }

    // Whether the windows take the icons' variants for the dark palette; set
    // by the program from the theme it applied.
    void setDarkIcons(bool on) { m_darkIcons = on; }
    bool darkIcons() const { return m_darkIcons; }
    // The resource path of the icon name in the run's theme (see themedIconPath).
    QString iconPath(const QString& name) const;

    // Handles every event waiting in the queue, then returns; long loads call
    // it so that the window keeps repainting. Requests of a second start are
    // left for later.
    virtual void PumpMessages();

private:
    QString m_windowTitle;
    bool m_darkIcons = false;
};

} // namespace tolvane
