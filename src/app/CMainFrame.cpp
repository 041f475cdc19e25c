// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CMainFrame.h"

#include "app/CTolvaneApp.h"
#include "app/ReadingPlace.h"
#include "core/common/Cp1252.h"
#include "core/common/PathResolver.h"
#include "core/common/UserFileSafety.h"
#include "core/startup/DataSourceLocation.h"
#include "core/startup/StartupSettings.h"
#include "ui/base/AnnotationHooks.h"
#include "ui/base/AppServices.h"
#include "ui/base/CDlgBar.h"
#include "ui/base/CSash.h"
#include "ui/base/CommandTable.h"
#include "ui/base/MenuItemAccessible.h"
#include "ui/base/QtText.h"
#include "ui/base/ToolButtonAccessible.h"
#include "ui/panes/CAnnotationBar.h"
#include "ui/panes/COutlineBar.h"
#include "ui/panes/OutlineTree.h"
#include "ui/view/CTolvaneDoc.h"
#include "ui/view/CTolvaneView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <initializer_list>
#include <utility>

namespace tolvane {

namespace {

QString readyText(bool userFilesReadOnly) {
    if (userFilesReadOnly)
        return QStringLiteral("Notes et signets en lecture seule : une autre fenêtre de Tolvane "
                              "utilise les mêmes fichiers personnels.");
    return QStringLiteral("Prêt");
}

// What the status bar says once at start when the per-user files lie in a
// folder that others can change; empty when nobody else can. The advice
// comes before the folder's name, which a narrow window cuts.
QString folderNote(UserFileSafety::FolderExposure exposure, const QString& folder) {
    using Exposure = UserFileSafety::FolderExposure;
    if (exposure != Exposure::WritableByOthers && exposure != Exposure::OwnedByOther)
        return QString();
    const QString what =
        exposure == Exposure::WritableByOthers
            ? QStringLiteral("D'autres utilisateurs peuvent écrire dans le dossier des notes et "
                             "signets")
            : QStringLiteral("Le dossier des notes et signets appartient à un autre utilisateur");
    return what + QStringLiteral(" : l'option /A permet de les garder dans un dossier à vous. "
                                 "Dossier actuel : «%1».")
                      .arg(folder);
}

} // namespace

CMainFrame::CMainFrame(CTolvaneApp& app, AppServices& services)
    : m_app(app), m_services(services),
      m_store(DataSourcePaths::fromBase(cp1252::toUtf8(m_app.settings().strDataSource)), m_index) {
    setObjectName(QStringLiteral("mainFrame"));
    MenuItemAccessible::install();
    ToolButtonAccessible::install();
    setWindowTitle(m_services.windowTitle());
    setWindowIcon(QIcon(QStringLiteral(":/icons/tolvane.svg")));
    // No name of its own: assistive technologies read the window's title,
    // which names the data source and the article shown.
    setAccessibleDescription(QStringLiteral("Visionneuse d'aide hypertexte"));
    m_doc = new CTolvaneDoc(this);
    m_view = new CTolvaneView(*this, m_store, app.history(), services, this);
    setCentralWidget(m_view);
    // The view asks for no room of its own: a pane dragged to the frame's
    // whole width or height takes it all.
    m_view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    resize(std::min(1000, screen.width()), std::min(720, screen.height()));
}

CMainFrame::~CMainFrame() {
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this)
        return QMainWindow::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    const int id = button == Qt::BackButton      ? cmd::kBack
                   : button == Qt::ForwardButton ? cmd::kForward
                                                 : 0;
    if (id == 0)
        return QMainWindow::eventFilter(watched, event);
    updateCommandStates();
    action(id)->trigger();
    return true;
}

bool CMainFrame::OnCreate() {
    createActions();
    createMenus();
    if (!createToolBar())
        return false;
    createStatusBar();
    if (!createPanes())
        return false;
    connect(m_view, &CTolvaneView::articleChanged, this, &CMainFrame::updateCommandStates);
    // The mouse's back and forward buttons, wherever they are pressed in
    // the window.
    qApp->installEventFilter(this);
    connect(m_view, &QTextEdit::copyAvailable, this, &CMainFrame::updateCommandStates);
    m_services.PumpMessages();
    RecalcLayout();
    // The window's least size is set once, from its bars alone: otherwise
    // Qt makes it the panes' current sizes, and a pane dragged to the whole
    // width would keep the window from ever being made narrower.
    setMinimumSize(layout()->totalMinimumSize());
    updateCommandStates();
    return true;
}

QAction* CMainFrame::makeAction(int id, const QString& text) {
    const CommandTexts texts = findCommandTexts(id);
    auto* a = new QAction(text, this);
    a->setObjectName(QStringLiteral("cmd%1").arg(id));
    a->setData(id);
    a->setStatusTip(texts.prompt);
    if (!texts.tooltip.isEmpty())
        a->setToolTip(texts.tooltip);
    if (!texts.icon.isEmpty())
        a->setIcon(QIcon(m_services.iconPath(texts.icon)));
    m_actions.insert(id, a);
    return a;
}

void CMainFrame::createActions() {
    connect(makeAction(cmd::kHome, QStringLiteral("Page d'&accueil")), &QAction::triggered, this,
            [this] { m_app.GoHome(); });
    connect(makeAction(cmd::kBack, QStringLiteral("Article &précédent")), &QAction::triggered, this,
            [this] { m_app.GoBack(); });
    action(cmd::kBack)->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    QAction* forward = makeAction(cmd::kForward, QStringLiteral("Article s&uivant"));
    forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    connect(forward, &QAction::triggered, this, [this] { m_app.GoForward(); });
    QAction* resume = makeAction(cmd::kResume, QStringLiteral("&Reprendre la lecture"));
    resume->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(resume, &QAction::triggered, this, [this] {
        if (m_readingPlace)
            m_readingPlace->resume();
        updateCommandStates();
    });
    connect(makeAction(cmd::kSync, QStringLiteral("&Synchroniser l'article")), &QAction::triggered,
            this, [this] { SyncArticle(m_view->currentArticle()); });
    makeAction(cmd::kAddBookmark, QStringLiteral("&Définir signet"))
        ->setEnabled(!m_app.userFilesReadOnly());
    QAction* quit = makeAction(cmd::kQuit, QStringLiteral("&Quitter"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QAction* copy = makeAction(cmd::kCopy, QStringLiteral("&Copier"));
    copy->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    connect(copy, &QAction::triggered, m_view, &QTextEdit::copy);
    QAction* selectAll = makeAction(cmd::kSelectAll, QStringLiteral("&Tout sélectionner"));
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(selectAll, &QAction::triggered, m_view, &CTolvaneView::selectAllText);
    QAction* find = makeAction(cmd::kFind, QStringLiteral("&Rechercher..."));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    makeAction(cmd::kAnnotation, QStringLiteral("&Annotation"));

    QAction* toolBar = makeAction(cmd::kToolBar, QStringLiteral("&Barre d'outils"));
    toolBar->setCheckable(true);
    QAction* statusBarAction = makeAction(cmd::kStatusBar, QStringLiteral("Barre d'é&tat"));
    statusBarAction->setCheckable(true);
    connect(statusBarAction, &QAction::triggered, this, [this](bool on) {
        statusBar()->setVisible(on);
        // The panes' room changes with the bar; it is measured again before
        // the frame lays itself out.
        RecalcLayout();
        updateCommandStates();
    });
    for (int id : {cmd::kHistory, cmd::kBookmarks, cmd::kResults})
        makeAction(id, QString())->setCheckable(true);
    m_actions.value(cmd::kHistory)->setText(QStringLiteral("&Historique"));
    m_actions.value(cmd::kBookmarks)->setText(QStringLiteral("Liste des &signets"));
    m_actions.value(cmd::kResults)->setText(QStringLiteral("&Résultats de la recherche"));
    QAction* index = makeAction(cmd::kIndex, QStringLiteral("&Index"));
    index->setCheckable(true);
    index->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(makeAction(cmd::kAbout, QStringLiteral("&A propos...")), &QAction::triggered, this,
            [this] { m_app.onAbout(); });
    makeAction(cmd::kAnnotationPresent, QString());
    m_noAnnotationIcon = action(cmd::kAnnotation)->icon();
    m_annotationIcon = action(cmd::kAnnotationPresent)->icon();

    // Print has no menu item or button: only its shortcut reaches it.
    QAction* print = makeAction(cmd::kPrint, QString());
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(print, &QAction::triggered, this, &CMainFrame::onPrint);
    addAction(print);
    // Its letter is the I: the P already opens "Article &précédent" in the same menu.
    QAction* preview = makeAction(cmd::kPrintPreview, QStringLiteral("Aperçu avant &impression"));
    preview->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    connect(preview, &QAction::triggered, this, &CMainFrame::onPrintPreview);

    // F3 and Shift+F3 step through the last search's hits from any window
    // of the viewer: the results window keeps the focus after a double click.
    const std::pair<int, std::pair<const char16_t*, QKeySequence>> steps[] = {
        {cmd::kNextHit, {u"Occurrence &suivante", QKeySequence(Qt::Key_F3)}},
        {cmd::kPreviousHit, {u"Occurrence &précédente", QKeySequence(Qt::SHIFT | Qt::Key_F3)}},
    };
    for (const auto& [id, item] : steps) {
        QAction* step = makeAction(id, QString::fromUtf16(item.first));
        step->setShortcut(item.second);
        step->setShortcutContext(Qt::ApplicationShortcut);
        connect(step, &QAction::triggered, this,
                [this, id = id] { m_app.stepSearchHit(id == cmd::kNextHit ? 1 : -1); });
    }

    // F6 and Shift+F6 move the keyboard focus from pane to pane.
    auto* nextPane = new QAction(this);
    nextPane->setObjectName(QStringLiteral("cmd57680"));
    nextPane->setShortcut(QKeySequence(Qt::Key_F6));
    connect(nextPane, &QAction::triggered, this, [this] { focusPane(1); });
    addAction(nextPane);
    auto* previousPane = new QAction(this);
    previousPane->setObjectName(QStringLiteral("cmd57681"));
    previousPane->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(previousPane, &QAction::triggered, this, [this] { focusPane(-1); });
    addAction(previousPane);
}

QList<QWidget*> CMainFrame::panes() const {
    QList<QWidget*> order;
    if (m_outlineBar != nullptr && m_outlineBar->isVisible())
        order << m_outlineBar->tree();
    order << m_view;
    if (auto* notes = qobject_cast<CAnnotationBar*>(m_annotationBar);
        notes != nullptr && notes->isVisible())
        order << notes->edit();
    return order;
}

void CMainFrame::focusPane(int direction) {
    const QList<QWidget*> ring = panes();
    QWidget* focus = QApplication::focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; i < ring.size(); ++i) {
        if (focus != nullptr && (focus == ring[i] || ring[i]->isAncestorOf(focus)))
            at = i;
    }
    const qsizetype count = ring.size();
    const qsizetype next =
        at < 0 ? (direction > 0 ? 0 : count - 1) : ((at + direction) % count + count) % count;
    ring[next]->setFocus(direction > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void CMainFrame::createMenus() {
    // The menus in order, each command id in its place; 0 is a separator.
    struct MenuLayout {
        const char16_t* title;
        const char* objectName;
        const char16_t* description;
        std::initializer_list<int> commands;
    };
    const MenuLayout layouts[] = {
        {u"A&rticle",
         "menuArticle",
         u"Navigation entre les articles, signets et sortie",
         {cmd::kHome, cmd::kBack, cmd::kForward, cmd::kResume, cmd::kSync, 0, cmd::kAddBookmark, 0,
          cmd::kPrintPreview, 0, cmd::kQuit}},
        {u"&Edition",
         "menuEdition",
         u"Copie, sélection, recherche et annotation",
         {cmd::kCopy, cmd::kSelectAll, 0, cmd::kFind, cmd::kNextHit, cmd::kPreviousHit, 0,
          cmd::kAnnotation}},
        {u"&Affichage",
         "menuAffichage",
         u"Barres et fenêtres de listes",
         {cmd::kToolBar, cmd::kStatusBar, 0, cmd::kHistory, cmd::kBookmarks, cmd::kResults,
          cmd::kIndex}},
        {u"Ai&de", "menuAide", u"Informations sur le programme", {cmd::kAbout}},
    };
    for (const MenuLayout& layout : layouts) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf16(layout.title));
        for (int command : layout.commands) {
            if (command == 0)
                menu->addSeparator();
            else
                menu->addAction(action(command));
        }
        menu->setObjectName(QLatin1String(layout.objectName));
        menu->setAccessibleName(menu->title().remove(QLatin1Char('&')));
        menu->setAccessibleDescription(QString::fromUtf16(layout.description));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
    }
    menuBar()->setObjectName(QStringLiteral("menuBar"));
    menuBar()->setAccessibleName(QStringLiteral("Barre de menus"));
    menuBar()->setAccessibleDescription(QStringLiteral("Les menus de la fenêtre principale"));
}

bool CMainFrame::createToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Outils de visualisation"), this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setAllowedAreas(Qt::TopToolBarArea);
    m_toolBar->setMovable(false);
    for (int id : kToolbarButtons) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(action(id));
    }
    // The last button only lends its image to the Annotation button.
    const QList<QAction*> buttons = m_toolBar->actions();
    m_toolBar->removeAction(buttons.last());
    m_toolBar->setAccessibleName(QStringLiteral("Outils de visualisation"));
    m_toolBar->setAccessibleDescription(QStringLiteral("Barre d'outils de la fenêtre principale"));
    for (QAction* button : m_toolBar->actions()) {
        QWidget* widget = m_toolBar->widgetForAction(button);
        if (widget == nullptr || button->isSeparator())
            continue;
        widget->setAccessibleName(button->toolTip());
        widget->setAccessibleDescription(button->statusTip());
    }
    // The button Qt adds when the window is too narrow for every tool.
    if (auto* more = m_toolBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setAccessibleName(QStringLiteral("Autres outils"));
        more->setAccessibleDescription(
            QStringLiteral("Montre les boutons qui n'ont pas la place dans la barre d'outils"));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    QAction* toggle = action(cmd::kToolBar);
    connect(toggle, &QAction::triggered, this, [this](bool on) {
        m_toolBar->setVisible(on);
        RecalcLayout();
    });
    connect(m_toolBar, &QToolBar::visibilityChanged, this, &CMainFrame::updateCommandStates);
    return true;
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setAccessibleName(QStringLiteral("Barre d'état"));
    bar->setAccessibleDescription(QStringLiteral("Messages et indicateurs du clavier"));
    // The bar is read by its message (the prompt of a command, "Prêt"),
    // and each new message is told as a change of its name.
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
        bar->setAccessibleName(message.isEmpty() ? QStringLiteral("Barre d'état") : message);
    });
    const std::pair<QString, QString> indicators[] = {
        {QStringLiteral("MAJ"), QStringLiteral("Verrouillage des majuscules")},
        {QStringLiteral("NUM"), QStringLiteral("Verrouillage du pavé numérique")},
        {QStringLiteral("DEF"), QStringLiteral("Arrêt du défilement")},
    };
    for (const auto& [text, name] : indicators) {
        auto* label = new QLabel(text, bar);
        label->setAccessibleName(name);
        label->setAccessibleDescription(QStringLiteral("Indicateur du clavier"));
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 10);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        // Qt does not tell the state of the lock keys: the indicators are
        // shown dimmed.
        label->setEnabled(false);
        bar->addPermanentWidget(label);
        m_indicators.append(label);
    }
    if (auto* grip = bar->findChild<QSizeGrip*>()) {
        grip->setAccessibleName(QStringLiteral("Poignée de redimensionnement"));
        grip->setAccessibleDescription(QStringLiteral("Change la taille de la fenêtre"));
    }
    m_readyText = readyText(m_app.userFilesReadOnly());
    const std::string folder = PathResolver::directoryOf(
        PathResolver::fileOfBase(cp1252::toUtf8(m_app.settings().strUserBase), ".NOT"));
    QString shown = QString::fromStdString(folder.empty() ? "." : folder);
    if (shown.size() > 1 && shown.endsWith(u'/'))
        shown.chop(1);
    const QString note = folderNote(UserFileSafety::folderExposure(folder), shown);
    bar->showMessage(note.isEmpty() ? m_readyText : note);
}

bool CMainFrame::createPanes() {
    m_outlineBar = new COutlineBar(this, m_services);
    if (!m_outlineBar->Create())
        return false;
    m_outlineBar->setShowArticle(
        [this](ArticleNumber article) { return m_view->ShowArticle(article, 0); });

    auto* annotationBar = new CAnnotationBar(this, m_services);
    if (!annotationBar->Create(m_app.settings().strUserBase, m_app.userFilesReadOnly()))
        return false;
    m_annotationBar = annotationBar;
    m_annotations = annotationBar;
    connect(annotationBar, &CAnnotationBar::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    // The Annotation button follows the text once the typing has been handled.
    connect(
        annotationBar, &CAnnotationBar::textEdited, this,
        [this] {
            if (m_annotations != nullptr)
                UpdateAnnotationButton(!m_annotations->IsAnnotationEmpty());
        },
        Qt::QueuedConnection);
    m_annotationBar->hide();
    // Tab goes from the outline to the article, then to the annotation.
    setTabOrder(m_outlineBar->tree(), m_view);
    setTabOrder(m_view, annotationBar->edit());
    return true;
}

void CMainFrame::updateOutlineWidth() {
    if (m_outlineBar != nullptr)
        m_outlineBar->updateSize();
}

void CMainFrame::updateAnnotationHeight() {
    if (m_annotationBar != nullptr)
        m_annotationBar->updateSize();
}

void CMainFrame::RecalcLayout() {
    updateAnnotationHeight();
    updateOutlineWidth();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    updateOutlineWidth();
    updateAnnotationHeight();
    QMainWindow::resizeEvent(event);
}

void CMainFrame::LoadOutline() {
    m_outlineBar->LoadOutline(m_store.paths().fic);
}

void CMainFrame::SyncArticle(ArticleNumber article) {
    m_outlineBar->SyncArticle(article);
}

bool CMainFrame::SaveArticleAnnotation(ArticleNumber article) {
    if (article == 0)
        return false;
    return m_annotations != nullptr && m_annotations->CommitAnnotation(article);
}

bool CMainFrame::LoadArticleAnnotation(ArticleNumber article) {
    const bool hasText = m_annotations != nullptr && m_annotations->LoadAnnotation(article);
    UpdateAnnotationButton(hasText);
    return hasText;
}

void CMainFrame::UpdateAnnotationButton(bool hasText) {
    if (hasText == m_annotationShown)
        return;
    m_annotationShown = hasText;
    action(cmd::kAnnotation)->setIcon(hasText ? m_annotationIcon : m_noAnnotationIcon);
}

void CMainFrame::updateCommandStates() {
    action(cmd::kBack)->setEnabled(m_app.CanGoBack());
    action(cmd::kForward)->setEnabled(m_app.CanGoForward());
    action(cmd::kResume)->setEnabled(m_readingPlace && m_readingPlace->canResume());
    action(cmd::kCopy)->setEnabled(m_view->textCursor().hasSelection());
    action(cmd::kToolBar)->setChecked(m_toolBar != nullptr && m_toolBar->isVisible());
    action(cmd::kStatusBar)->setChecked(statusBar()->isVisible());
    if (m_annotations != nullptr)
        UpdateAnnotationButton(!m_annotations->IsAnnotationEmpty());
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_firstActivation) {
        m_firstActivation = false;
        QMetaObject::invokeMethod(this, &CMainFrame::onInitialLoad, Qt::QueuedConnection);
    }
}

void CMainFrame::ensureInitialLoad() {
    if (m_loadState == LoadState::NotStarted)
        onInitialLoad();
}

void CMainFrame::onInitialLoad() {
    if (m_loadState != LoadState::NotStarted)
        return;
    m_loadState = LoadState::Running;
    m_services.PumpMessages();
    LoadOutline();
    m_store.LoadIndex([this] { m_services.PumpMessages(); });
    if (m_app.settings().bStartArticle) {
        if (m_view->ShowArticle(m_app.settings().nStartArticle, 0))
            SyncArticle(m_app.settings().nStartArticle);
        else
            m_view->ShowArticle(1, 0);
    } else {
        m_view->ShowArticle(1, 0);
    }
    // A popup article as the start article opens only its popup; the view
    // must not stay empty behind it.
    if (m_view->currentArticle() == 0)
        m_view->ShowArticle(1, 0);
    m_loadState = LoadState::Done;
    updateCommandStates();
    emit initialLoadFinished();
}

void CMainFrame::restoreReadingPlace(const std::string& folder) {
    m_readingPlace = std::make_unique<ReadingPlace>(*this, folder);
    m_readingPlace->restore();
}

void CMainFrame::onShowArticleRequest(ArticleNumber number) {
    if (!m_app.ShowArticle(number, 0))
        m_app.ShowArticle(1, 0);
    SyncArticle(m_view->currentArticle());
}

void CMainFrame::onPrint() {
    if (m_view->currentArticle() != 0)
        m_doc->print(*m_view, this);
}

void CMainFrame::onPrintPreview() {
    if (m_view->currentArticle() != 0)
        m_doc->printPreview(*m_view, this);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveArticleAnnotation(m_view->currentArticle());
    if (m_annotations != nullptr)
        m_annotations->SaveAnnotations();
    m_app.SaveBookmarks();
    if (m_readingPlace)
        m_readingPlace->save();
    event->accept();
    // The application ends with its main window, whatever else is open.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        showMinimized();
    event->accept();
}

bool CMainFrame::event(QEvent* event) {
    // Between prompts the status bar says it is ready.
    if (event->type() == QEvent::StatusTip &&
        static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        statusBar()->showMessage(m_readyText);
        return true;
    }
    return QMainWindow::event(event);
}

} // namespace tolvane
