// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/stores/AnnotationStore.h"
#include "ui/base/AnnotationHooks.h"
#include "ui/base/CDlgBar.h"

#include <QString>
#include <QTimer>

#include <map>
#include <string>

class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QScrollBar;

namespace tolvane {

class AppServices;
class CSash;

// The annotation pane, docked along the bottom of the main window: a
// multi-line edit control (object name "edit1010") that always holds the
// annotation of the article on screen, whether the pane is shown or not,
// and a horizontal sash (id 104) whose value is the pane's height in pixels.
// The pane holds the annotation store of the user base: the main frame
// calls LoadAnnotation for each article it shows, CommitAnnotation for the
// one it leaves, and SaveAnnotations when it closes. The text being typed is
// also committed once the user has stopped typing for a moment, so that a
// run that ends abruptly loses at most that moment.
class CAnnotationBar : public CDlgBar, public AnnotationHooks {
    Q_OBJECT

public:
    static constexpr int kEditId = 1010;
    static constexpr int kSashId = 104;
    // The dialog template's 186 × 33 dialog units in pixels.
    static constexpr int kTemplateWidth = 279;
    static constexpr int kTemplateHeight = 54;
    // The edit control's left edge (28 dialog units).
    static constexpr int kEditLeft = 42;
    static constexpr int kIdleCommitMs = 2000;

    CAnnotationBar(QMainWindow* mainFrame, AppServices& services);
    ~CAnnotationBar() override;

    // Docks the pane at the bottom of the main window, creates its sash and
    // opens the annotations of the user base; false without a main window.
    // Read-only (another run holds the user base), the control shows the
    // texts but takes no typing and nothing is written.
    bool Create(const std::string& userBase, bool readOnly = false);

    // The height update: the sash's value truncated, at least 46 pixels,
    // across the main window's width.
    void updateSize() override;
    // The height rule alone.
    static int paneHeight(float sashValue);

    bool CommitAnnotation(ArticleNumber article) override;
    bool LoadAnnotation(ArticleNumber article) override;
    // Writes the annotation file; a failure is reported to the user and
    // leaves what is on disk as it was.
    void SaveAnnotations() override;
    bool IsAnnotationEmpty() const override;

    // How long the user must stop typing before the text is committed.
    void setIdleCommitDelay(int milliseconds) { m_idleCommit.setInterval(milliseconds); }
    int idleCommitDelay() const { return m_idleCommit.interval(); }
    // Typed text is waiting for the pause that commits it.
    bool idleCommitPending() const { return m_idleCommit.isActive(); }

    // The control's text as the store keeps it: Windows-1252, CR LF line
    // breaks; and back.
    static std::string storedText(const QString& shown);
    static QString shownText(const std::string& stored);

    // Every annotation's latest non-empty text, the one in the control
    // included, for a search: nothing is committed or written.
    std::map<ArticleNumber, std::string> annotationTexts() const;

    QPlainTextEdit* edit() const { return m_edit; }
    CSash* sash() const { return m_sash; }
    AnnotationStore& store() { return m_store; }

signals:
    // The text in the control changed: its emptiness may have too.
    void textEdited();
    // A note for the status bar: the text could not go to its file yet.
    void statusMessage(const QString& text);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Clicks on the pane's own background do nothing at all.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void layoutControls(QSize paneSize);
    void updateIcon();
    void onTextChanged();
    void commitIdle();
    // The control's text for the store; the bytes loaded when unchanged.
    std::string currentText() const;
    void report(const std::string& message);

    QMainWindow* m_mainFrame;
    AppServices& m_services;
    AnnotationStore m_store;
    CSash* m_sash = nullptr;
    QWidget* m_content = nullptr;
    QLabel* m_icon = nullptr;
    QScrollBar* m_leftScrollBar = nullptr;
    QPlainTextEdit* m_edit = nullptr;
    QTimer m_idleCommit;
    // The article whose annotation the control holds, the bytes loaded for
    // it and the text they were shown as.
    ArticleNumber m_article = 0;
    std::string m_loadedBytes;
    QString m_loadedShown;
    bool m_loading = false;
    // A failed commit is reported once, until a commit succeeds again.
    bool m_commitFailureReported = false;
};

} // namespace tolvane
