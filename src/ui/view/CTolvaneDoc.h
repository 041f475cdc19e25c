// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class QPrintPreviewDialog;
class QPrinter;
class QWidget;

namespace tolvane {

class CTolvaneView;

// The document behind the article view. It holds no content (the view
// loads its articles itself) and carries printing: the print dialog, then
// the current article's formatted text as the view shows it, at the
// article's own sizes (the text size chosen on screen does not print),
// paginated by the text's own layout. The print preview shows those same
// pages: it draws them through printArticle, the one page-drawing path.
class CTolvaneDoc : public QObject {
    Q_OBJECT

public:
    explicit CTolvaneDoc(QObject* parent = nullptr) : QObject(parent) {}

    // Opens the print dialog owned by parent and prints the view's article
    // when it is accepted. True when something was printed.
    bool print(CTolvaneView& view, QWidget* parent);

    // Prints the view's article on an already set-up printer.
    static void printArticle(CTolvaneView& view, QPrinter& printer);

    // The window "Aperçu avant impression" over the view's article, owned by
    // parent, with French names for assistive technologies; its pages are
    // drawn by printArticle on printer, and its print button prints them
    // there (after the print dialog). Shows it modal; true when it printed.
    bool printPreview(CTolvaneView& view, QWidget* parent);
    static std::unique_ptr<QPrintPreviewDialog> createPreview(CTolvaneView& view, QPrinter& printer,
                                                              QWidget* parent);

protected:
    // The modal print dialog; true when the user confirmed it.
    virtual bool runPrintDialog(QPrinter& printer, QWidget* parent);
    // The modal preview; true when its print button printed.
    virtual bool runPreviewDialog(QPrintPreviewDialog& dialog);
};

} // namespace tolvane
