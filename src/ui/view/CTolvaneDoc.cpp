// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/CTolvaneDoc.h"

#include "ui/view/CTolvaneView.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace tolvane {

bool CTolvaneDoc::Print(CTolvaneView& view, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(view.window()->windowTitle());
    if (!RunPrintDialog(printer, parent))
        return false;
    PrintArticle(view, printer);
    return true;
}

void CTolvaneDoc::PrintArticle(CTolvaneView& view, QPrinter& printer) {
    // The article prints at its own sizes, whatever the text size on screen.
    view.buildDocument(100)->print(&printer);
}

bool CTolvaneDoc::RunPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tolvane
