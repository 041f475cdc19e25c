// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QPrinter;
class QWidget;

namespace tolvane {

class CTolvaneView;

// The document behind the article view. It holds no content (the view
// loads its articles itself) and carries printing: the print dialog, then
// the current article's formatted text as the view shows it, at the
// article's own sizes (the text size chosen on screen does not print),
// paginated by the text's own layout. There is no print preview: no menu item, button or
// shortcut of the viewer offers one.
class CTolvaneDoc : public QObject {
    Q_OBJECT

public:
    explicit CTolvaneDoc(QObject* parent = nullptr) : QObject(parent) {}

    // Opens the print dialog owned by parent and prints the view's article
    // when it is accepted. True when something was printed.
    bool Print(CTolvaneView& view, QWidget* parent);

    // Prints the view's article on an already set-up printer.
    static void PrintArticle(CTolvaneView& view, QPrinter& printer);

protected:
    // The modal print dialog; true when the user confirmed it.
    virtual bool RunPrintDialog(QPrinter& printer, QWidget* parent);
};

} // namespace tolvane
