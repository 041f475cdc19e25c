// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/CAnnotationBar.h"

#include "core/common/UserFileSafety.h"
#include "core/startup/DataSourceLocation.h"
#include "ui/base/AppServices.h"
#include "ui/base/CSash.h"
#include "ui/base/QtText.h"

#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

namespace tolvane {

namespace {

// Where the template puts the icon (3, 4 and 18 × 20 dialog units).
const QRect kIconRect(5, 7, 27, 32);

} // namespace

CAnnotationBar::CAnnotationBar(QMainWindow* mainFrame, AppServices& services)
    : CDlgBar(mainFrame), m_mainFrame(mainFrame), m_services(services), m_store(services.Files()) {
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("dialog%1").arg(kAnnotationBarId));
    m_icon = new QLabel(m_content);
    m_icon->setGeometry(kIconRect);
    m_icon->setAccessibleName(QStringLiteral("Annotation"));
    m_icon->setAccessibleDescription(QStringLiteral("Image d'une main qui écrit"));
    updateIcon();
    setWindowTitle(QStringLiteral("Annotation"));
    setAccessibleName(QStringLiteral("Volet d'annotation"));
    setAccessibleDescription(QStringLiteral("Annotation personnelle de l'article affiché"));

    m_edit = new QPlainTextEdit(m_content);
    m_edit->setObjectName(QStringLiteral("edit%1").arg(kEditId));
    m_edit->setTabChangesFocus(true);
    m_edit->setAccessibleName(QStringLiteral("Annotation de l'article"));
    m_edit->setAccessibleDescription(
        QStringLiteral("Note personnelle sur l'article affiché, enregistrée quand vous changez "
                       "d'article"));
    m_edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The scroll bar stands on the left: the edit's own one is replaced by
    // a twin that follows it.
    m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_edit->verticalScrollBar()->setAccessibleName(QStringLiteral("Défilement de l'annotation"));
    m_edit->verticalScrollBar()->setAccessibleDescription(
        QStringLiteral("Fait défiler l'annotation vers le haut ou le bas"));
    m_edit->horizontalScrollBar()->setAccessibleName(
        QStringLiteral("Défilement horizontal de l'annotation"));
    m_edit->horizontalScrollBar()->setAccessibleDescription(
        QStringLiteral("Fait défiler l'annotation vers la gauche ou la droite"));
    m_leftScrollBar = new QScrollBar(Qt::Vertical, m_content);
    m_leftScrollBar->setObjectName(QStringLiteral("leftScrollBar"));
    m_leftScrollBar->setAccessibleName(QStringLiteral("Défilement de l'annotation"));
    m_leftScrollBar->setAccessibleDescription(
        QStringLiteral("Fait défiler le texte de l'annotation"));
    QScrollBar* own = m_edit->verticalScrollBar();
    connect(own, &QScrollBar::rangeChanged, m_leftScrollBar, [this, own](int min, int max) {
        m_leftScrollBar->setRange(min, max);
        m_leftScrollBar->setPageStep(own->pageStep());
        m_leftScrollBar->setSingleStep(own->singleStep());
    });
    connect(own, &QScrollBar::valueChanged, m_leftScrollBar, &QScrollBar::setValue);
    connect(m_leftScrollBar, &QScrollBar::valueChanged, own, &QScrollBar::setValue);
    connect(m_edit, &QPlainTextEdit::textChanged, this, &CAnnotationBar::onTextChanged);

    m_idleCommit.setSingleShot(true);
    m_idleCommit.setInterval(kIdleCommitMs);
    connect(&m_idleCommit, &QTimer::timeout, this, &CAnnotationBar::commitIdle);
}

CAnnotationBar::~CAnnotationBar() = default;

bool CAnnotationBar::Create(const std::string& userBase, bool readOnly) {
    if (!CDlgBar::Create(m_mainFrame, QSize(kTemplateWidth, kTemplateHeight),
                         Qt::BottomDockWidgetArea, kAnnotationBarId, true))
        return false;
    setWidget(m_content);
    m_sash = new CSash(this);
    if (!m_sash->Create(this, kSashId, 1, float(kAnnotationMinHeight))) {
        delete m_sash;
        m_sash = nullptr;
    }
    m_edit->setReadOnly(readOnly);
    m_store.OpenAnnotations(userBase, readOnly);
    return true;
}

int CAnnotationBar::paneHeight(float sashValue) {
    if (!(sashValue > float(kAnnotationMinHeight)))
        return kAnnotationMinHeight;
    if (sashValue >= float(QWIDGETSIZE_MAX))
        return QWIDGETSIZE_MAX;
    const int h = static_cast<int>(sashValue);
    return h <= kAnnotationMinHeight ? kAnnotationMinHeight : h;
}

void CAnnotationBar::updateSize() {
    if (m_mainFrame == nullptr)
        return;
    const float value = m_sash != nullptr ? m_sash->value() : float(kAnnotationMinHeight);
    setDockedSize(QSize(m_mainFrame->width(), paneHeight(value)));
}

void CAnnotationBar::resizeEvent(QResizeEvent* event) {
    CDlgBar::resizeEvent(event);
    if (isFloating())
        return;
    layoutControls(event->size());
    if (m_sash != nullptr) {
        m_sash->placeInPane(event->size().width(), event->size().height());
        // The next height update keeps the height the pane now has.
        m_sash->setValue(float(event->size().height()));
    }
}

void CAnnotationBar::layoutControls(QSize paneSize) {
    const int x = kEditLeft;
    const int w = std::max(0, paneSize.width() - 2 - x);
    const int h = std::max(0, paneSize.height() - 7);
    const int bar = std::min(w, style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
    m_leftScrollBar->setGeometry(x, 5, bar, h);
    m_edit->setGeometry(x + bar, 5, w - bar, h);
}

void CAnnotationBar::updateIcon() {
    // Drawn from its SVG at the screen's pixel ratio, so it stays sharp at
    // any scale.
    const QIcon icon(m_services.iconPath(QStringLiteral("annotation-pane")));
    m_icon->setPixmap(icon.pixmap(kIconRect.size(), m_icon->devicePixelRatioF()));
}

bool CAnnotationBar::event(QEvent* event) {
    // Moved to a screen of another pixel ratio: the icon is drawn again.
    if (event->type() == QEvent::ScreenChangeInternal)
        updateIcon();
    return CDlgBar::event(event);
}

void CAnnotationBar::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CAnnotationBar::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

std::string CAnnotationBar::storedText(const QString& shown) {
    QString text;
    text.reserve(shown.size() + shown.size() / 16);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown.at(i);
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n') {
            text += QStringLiteral("\r\n");
        } else if (c == u'\r') {
            text += QStringLiteral("\r\n");
            if (i + 1 < shown.size() && shown.at(i + 1) == u'\n')
                ++i;
        } else {
            text += c;
        }
    }
    return toCp1252(text);
}

QString CAnnotationBar::shownText(const std::string& stored) {
    QString text = fromCp1252(stored);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::map<ArticleNumber, std::string> CAnnotationBar::annotationTexts() const {
    std::map<ArticleNumber, std::string> texts = m_store.AnnotationTexts();
    if (m_article > 0) {
        std::string typed = currentText();
        if (typed.empty())
            texts.erase(m_article);
        else
            texts[m_article] = std::move(typed);
    }
    return texts;
}

std::string CAnnotationBar::currentText() const {
    const QString shown = m_edit->document()->toRawText();
    // Unchanged text goes back as the very bytes it was loaded from.
    if (shown == m_loadedShown)
        return m_loadedBytes;
    return storedText(shown);
}

bool CAnnotationBar::CommitAnnotation(ArticleNumber article) {
    m_idleCommit.stop();
    std::string error;
    int errorNumber = 0;
    if (m_store.CommitAnnotation(article, currentText(), &error, &errorNumber)) {
        m_commitFailureReported = false;
        return true;
    }
    if (!m_commitFailureReported) {
        m_commitFailureReported = true;
        // A pending file that is not the user's own is no fault of the disk
        // and loses nothing: the text waits in memory for the close. The
        // status bar says so without stopping the typing.
        if (errorNumber == UserFileSafety::kNotOwnRegularFile)
            emit statusMessage(fromCp1252(error) +
                               QStringLiteral(" L'annotation sera enregistrée à la fermeture."));
        else
            report(error);
    }
    return false;
}

bool CAnnotationBar::LoadAnnotation(ArticleNumber article) {
    m_idleCommit.stop();
    const std::string text = m_store.LoadAnnotation(article);
    m_loading = true;
    m_edit->setPlainText(shownText(text));
    m_loading = false;
    m_article = article;
    m_loadedBytes = text;
    m_loadedShown = m_edit->document()->toRawText();
    return !text.empty();
}

void CAnnotationBar::SaveAnnotations() {
    m_idleCommit.stop();
    std::string error;
    if (!m_store.SaveAnnotations(&error))
        report(error);
}

bool CAnnotationBar::IsAnnotationEmpty() const {
    return m_edit->document()->isEmpty();
}

void CAnnotationBar::onTextChanged() {
    if (!m_loading)
        m_idleCommit.start();
    emit textEdited();
}

void CAnnotationBar::commitIdle() {
    if (m_article > 0)
        CommitAnnotation(m_article);
}

void CAnnotationBar::report(const std::string& message) {
    m_services.MessageBox(m_mainFrame, m_services.windowTitle(), fromCp1252(message),
                          QMessageBox::Warning);
}

} // namespace tolvane
