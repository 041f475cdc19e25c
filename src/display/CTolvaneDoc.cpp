#include "CTolvaneDoc.h"

#include "display/CTolvaneView.h"

#include <QPrintDialog>
#include <QPrinter>

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
    view.document()->print(&printer);
}

bool CTolvaneDoc::RunPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tolvane
