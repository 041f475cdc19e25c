// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/CTolvaneDoc.h"

#include "ui/view/CTolvaneView.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTextDocument>
#include <QToolBar>

namespace tolvane {

namespace {

// The preview's tools by the text Qt gives them (in the language of the
// translation loaded, if any), with their French names and descriptions.
struct PreviewTool {
    const char* source;
    const char16_t* name;
    const char16_t* description;
};
constexpr PreviewTool kPreviewTools[] = {
    {"Next page", u"Page suivante", u"Montre la page suivante"},
    {"Previous page", u"Page précédente", u"Montre la page précédente"},
    {"First page", u"Première page", u"Montre la première page"},
    {"Last page", u"Dernière page", u"Montre la dernière page"},
    {"Fit width", u"Ajuster à la largeur", u"Les pages prennent la largeur de la fenêtre"},
    {"Fit page", u"Ajuster à la page", u"Une page entière tient dans la fenêtre"},
    {"Zoom in", u"Agrandir", u"Montre les pages plus grandes"},
    {"Zoom out", u"Réduire", u"Montre les pages plus petites"},
    {"Portrait", u"Portrait", u"Pages en hauteur"},
    {"Landscape", u"Paysage", u"Pages en largeur"},
    {"Show single page", u"Une page", u"Montre une page à la fois"},
    {"Show facing pages", u"Pages en regard", u"Montre les pages deux par deux"},
    {"Show overview of all pages", u"Toutes les pages", u"Montre toutes les pages à la fois"},
    {"Print", u"Imprimer", u"Imprime l'article, après la boîte de dialogue d'impression"},
    {"Page setup", u"Mise en page", u"Choisit le papier, l'orientation et les marges"},
};

void describe(QWidget* widget, const char16_t* name, const char16_t* description) {
    if (widget == nullptr)
        return;
    widget->setAccessibleName(QString::fromUtf16(name));
    widget->setAccessibleDescription(QString::fromUtf16(description));
}

void nameControls(QPrintPreviewDialog& dialog) {
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setAccessibleDescription(
        QStringLiteral("Les pages de l'article telles qu'elles seront imprimées"));
    for (QToolBar* bar : dialog.findChildren<QToolBar*>()) {
        describe(bar, u"Outils de l'aperçu", u"Pages, zoom, orientation et impression");
        for (QAction* action : bar->actions()) {
            for (const PreviewTool& tool : kPreviewTools) {
                if (action->text() !=
                    QCoreApplication::translate("QPrintPreviewDialog", tool.source))
                    continue;
                action->setText(QString::fromUtf16(tool.name));
                action->setToolTip(action->text());
                action->setStatusTip(QString::fromUtf16(tool.description));
                describe(bar->widgetForAction(action), tool.name, tool.description);
            }
        }
    }
    for (QLineEdit* page : dialog.findChildren<QLineEdit*>()) {
        QWidget* box = page->parentWidget();
        if (auto* zoom = qobject_cast<QComboBox*>(box)) {
            describe(zoom, u"Zoom", u"La taille des pages montrées, en pour cent");
            describe(page, u"Zoom", u"La taille des pages montrées, en pour cent");
            continue;
        }
        describe(page, u"Numéro de page", u"La page montrée ; Entrée va à la page tapée");
        // The field and the page count share a box in the tool bar.
        if (qobject_cast<QToolBar*>(box) == nullptr)
            describe(box, u"Page", u"La page montrée et le nombre de pages");
    }
    for (QLabel* label : dialog.findChildren<QLabel*>())
        describe(label, u"Nombre de pages", u"Le nombre de pages de l'article");
    // The pages, the view inside that takes the focus, and its drawing area.
    const char16_t* pagesName = u"Pages de l'article";
    const char16_t* pagesDescription = u"Les pages telles qu'elles seront imprimées";
    for (auto* pages : dialog.findChildren<QPrintPreviewWidget*>()) {
        describe(pages, pagesName, pagesDescription);
        for (QGraphicsView* view : pages->findChildren<QGraphicsView*>()) {
            describe(view, pagesName, pagesDescription);
            describe(view->viewport(), pagesName, pagesDescription);
        }
    }
}

} // namespace

bool CTolvaneDoc::print(CTolvaneView& view, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(view.window()->windowTitle());
    if (!runPrintDialog(printer, parent))
        return false;
    printArticle(view, printer);
    return true;
}

void CTolvaneDoc::printArticle(CTolvaneView& view, QPrinter& printer) {
    // The article prints at its own sizes, whatever the text size on screen.
    view.buildDocument(100)->print(&printer);
}

bool CTolvaneDoc::runPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
}

bool CTolvaneDoc::printPreview(CTolvaneView& view, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(view.window()->windowTitle());
    const std::unique_ptr<QPrintPreviewDialog> dialog = createPreview(view, printer, parent);
    return runPreviewDialog(*dialog);
}

std::unique_ptr<QPrintPreviewDialog>
CTolvaneDoc::createPreview(CTolvaneView& view, QPrinter& printer, QWidget* parent) {
    auto dialog = std::make_unique<QPrintPreviewDialog>(&printer, parent);
    dialog->setObjectName(QStringLiteral("printPreview"));
    dialog->setWindowTitle(QStringLiteral("Aperçu avant impression"));
    QObject::connect(dialog.get(), &QPrintPreviewDialog::paintRequested, &view,
                     [&view](QPrinter* target) { printArticle(view, *target); });
    nameControls(*dialog);
    return dialog;
}

bool CTolvaneDoc::runPreviewDialog(QPrintPreviewDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tolvane
