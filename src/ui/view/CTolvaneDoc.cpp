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

void nameControls(QPrintPreviewDialog& dialog) {
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setAccessibleDescription(
        QStringLiteral("Les pages de l'article telles qu'elles seront imprimées"));
    for (QToolBar* bar : dialog.findChildren<QToolBar*>()) {
        bar->setAccessibleName(QStringLiteral("Outils de l'aperçu"));
        bar->setAccessibleDescription(QStringLiteral("Pages, zoom, orientation et impression"));
        for (QAction* action : bar->actions()) {
            QWidget* widget = bar->widgetForAction(action);
            for (const PreviewTool& tool : kPreviewTools) {
                if (action->text() !=
                    QCoreApplication::translate("QPrintPreviewDialog", tool.source))
                    continue;
                const QString name = QString::fromUtf16(tool.name);
                action->setText(name);
                action->setToolTip(name);
                action->setStatusTip(QString::fromUtf16(tool.description));
                if (widget != nullptr) {
                    widget->setAccessibleName(name);
                    widget->setAccessibleDescription(QString::fromUtf16(tool.description));
                }
            }
        }
    }
    for (QLineEdit* page : dialog.findChildren<QLineEdit*>()) {
        QWidget* box = page->parentWidget();
        if (qobject_cast<QComboBox*>(box) != nullptr)
            continue;
        page->setAccessibleName(QStringLiteral("Numéro de page"));
        page->setAccessibleDescription(
            QStringLiteral("La page montrée ; Entrée va à la page tapée"));
        // The field and the page count share a box in the tool bar.
        if (box != nullptr && qobject_cast<QToolBar*>(box) == nullptr) {
            box->setAccessibleName(QStringLiteral("Page"));
            box->setAccessibleDescription(QStringLiteral("La page montrée et le nombre de pages"));
        }
    }
    if (auto* zoom = dialog.findChild<QComboBox*>()) {
        zoom->setAccessibleName(QStringLiteral("Zoom"));
        zoom->setAccessibleDescription(
            QStringLiteral("La taille des pages montrées, en pour cent"));
        if (QLineEdit* edit = zoom->lineEdit())
            edit->setAccessibleName(zoom->accessibleName());
    }
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        label->setAccessibleName(QStringLiteral("Nombre de pages"));
        label->setAccessibleDescription(QStringLiteral("Le nombre de pages de l'article"));
    }
    if (auto* pages = dialog.findChild<QPrintPreviewWidget*>()) {
        pages->setAccessibleName(QStringLiteral("Pages de l'article"));
        pages->setAccessibleDescription(
            QStringLiteral("Les pages telles qu'elles seront imprimées"));
        // The view inside, which takes the focus, and its drawing area.
        for (QGraphicsView* view : pages->findChildren<QGraphicsView*>()) {
            for (QWidget* part : {static_cast<QWidget*>(view), view->viewport()}) {
                part->setAccessibleName(pages->accessibleName());
                part->setAccessibleDescription(pages->accessibleDescription());
            }
        }
    }
}

} // namespace

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

bool CTolvaneDoc::PrintPreview(CTolvaneView& view, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(view.window()->windowTitle());
    const std::unique_ptr<QPrintPreviewDialog> dialog = CreatePreview(view, printer, parent);
    return RunPreviewDialog(*dialog);
}

std::unique_ptr<QPrintPreviewDialog>
CTolvaneDoc::CreatePreview(CTolvaneView& view, QPrinter& printer, QWidget* parent) {
    auto dialog = std::make_unique<QPrintPreviewDialog>(&printer, parent);
    dialog->setObjectName(QStringLiteral("printPreview"));
    dialog->setWindowTitle(QStringLiteral("Aperçu avant impression"));
    QObject::connect(dialog.get(), &QPrintPreviewDialog::paintRequested, &view,
                     [&view](QPrinter* target) { PrintArticle(view, *target); });
    nameControls(*dialog);
    return dialog;
}

bool CTolvaneDoc::RunPreviewDialog(QPrintPreviewDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tolvane
