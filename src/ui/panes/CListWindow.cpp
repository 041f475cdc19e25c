// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/CListWindow.h"

#include "core/articles/ArticleStore.h"
#include "core/geometry/DialogPlacement.h"
#include "core/search/SearchEngine.h"
#include "ui/base/AppHooks.h"
#include "ui/base/QtText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace tolvane {

namespace {

// The attached article number of a row.
constexpr int kArticleRole = Qt::UserRole;
// How long the main window's caption is flagged when a list window is
// activated or deactivated: one flash.
constexpr int kFlashMs = 500;
// The buttons' places along the bottom edge (their tops follow the height).
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kShowButtonLeft = 6;
constexpr int kRenameButtonLeft = 87;
constexpr int kDeleteButtonLeft = 168;

QString modeCaption(ListMode mode) {
    switch (mode) {
    case LISTMODE_HISTORY:
        return QStringLiteral("Historique des articles consultés");
    case LISTMODE_RESULTS:
        return QStringLiteral("Résultats de la recherche");
    case LISTMODE_BOOKMARKS:
        return QStringLiteral("Liste des signets");
    }
    return QString();
}

QString modeDescription(ListMode mode) {
    switch (mode) {
    case LISTMODE_HISTORY:
        return QStringLiteral("Les articles consultés, le plus récent en premier");
    case LISTMODE_RESULTS:
        return QStringLiteral("Les articles trouvés par la dernière recherche");
    case LISTMODE_BOOKMARKS:
        return QStringLiteral("Les signets, par ordre alphabétique");
    }
    return QString();
}

QString modeListName(ListMode mode) {
    switch (mode) {
    case LISTMODE_HISTORY:
        return QStringLiteral("Articles consultés");
    case LISTMODE_RESULTS:
        return QStringLiteral("Articles trouvés");
    case LISTMODE_BOOKMARKS:
        return QStringLiteral("Signets");
    }
    return QString();
}

QPushButton* makeButton(const QString& text, const QString& name, int left,
                        const QString& description, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    button->setAccessibleDescription(description);
    button->setAutoDefault(false);
    button->setGeometry(left, 0, kButtonWidth, kButtonHeight);
    return button;
}

} // namespace

CListWindow::CListWindow(AppHooks& app, QWidget* parent) : QDialog(parent), m_app(app) {
    // The platform's case-insensitive comparison of the user's language.
    m_collator = QCollator(QLocale(QLocale::French, QLocale::France));
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("listBox"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_btnRename = makeButton(QStringLiteral("&Renommer"), QStringLiteral("renameButton"),
                             kRenameButtonLeft, QStringLiteral("Renomme le signet choisi"), this);
    m_btnShow = makeButton(QStringLiteral("&Afficher"), QStringLiteral("showButton"),
                           kShowButtonLeft, QStringLiteral("Affiche l'article choisi"), this);
    m_btnDelete = makeButton(QStringLiteral("&Supprimer"), QStringLiteral("deleteButton"),
                             kDeleteButtonLeft, QStringLiteral("Supprime le signet choisi"), this);
    m_btnShow->setDefault(true);
    m_btnShow->hide();

    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OpenSelected(); });
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CListWindow::UpdateButtons);
    connect(m_btnShow, &QPushButton::clicked, this, &CListWindow::OpenSelected);
    connect(m_btnDelete, &QPushButton::clicked, this, &CListWindow::DeleteSelected);
    connect(m_btnRename, &QPushButton::clicked, this, &CListWindow::RenameSelected);
}

CListWindow::~CListWindow() {
    if (m_bCreated && m_nMode == LISTMODE_HISTORY)
        m_app.history().setObserver(nullptr);
}

bool CListWindow::CreateList(ListMode mode) {
    if (mode < LISTMODE_HISTORY || mode > LISTMODE_BOOKMARKS)
        return false;
    setObjectName(QStringLiteral("listWindow%1").arg(int(mode)));
    m_nMode = mode;
    m_bCreated = true;
    const int corner = 50 + 25 * int(mode);
    move(corner, corner);
    resize(kWidth, kHeight);
    m_strCaption = modeCaption(mode);
    // Named by its title, which gives the query and the count.
    setWindowTitle(m_strCaption);
    setAccessibleDescription(modeDescription(mode));
    m_list->setAccessibleName(modeListName(mode));
    m_list->setAccessibleDescription(
        QStringLiteral("Entrée ou double-clic affiche l'article de la ligne choisie"));

    m_list->clear();
    switch (mode) {
    case LISTMODE_HISTORY: {
        const NavigationHistory& history = m_app.history();
        for (size_t i = history.size(); i-- > 0;)
            InsertTopRow(history.entry(i).article);
        m_app.history().setObserver(&m_historyRows);
        break;
    }
    case LISTMODE_BOOKMARKS:
        m_app.LoadBookmarks();
        break;
    case LISTMODE_RESULTS:
        break;
    }
    UpdateButtons();

    const bool buttons = mode == LISTMODE_BOOKMARKS;
    for (QPushButton* button : {m_btnShow, m_btnDelete, m_btnRename})
        button->setVisible(buttons);
    m_btnDelete->setEnabled(buttons);
    m_btnRename->setEnabled(buttons);
    layoutControls();
    UpdateButtons();
    setTabOrder(m_list, m_btnShow);
    setTabOrder(m_btnShow, m_btnRename);
    setTabOrder(m_btnRename, m_btnDelete);
    return true;
}

int CListWindow::sortedRow(const QString& text) const {
    // After the rows that compare equal, so equal texts keep the order in
    // which they came.
    int low = 0;
    int high = m_list->count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (m_collator.compare(text, m_list->item(mid)->text()) < 0)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

void CListWindow::insertRow(int row, const QString& text, ArticleNumber article) {
    auto* item = new QListWidgetItem(text);
    if (article != 0)
        item->setData(kArticleRole, article);
    m_list->insertItem(row, item);
}

void CListWindow::updateCountCaption() {
    if (m_nMode != LISTMODE_RESULTS)
        return;
    const int n = RowCount();
    setWindowTitle(m_strCaption + (n > 1 ? QStringLiteral(" (%1 sujets trouvés)")
                                         : QStringLiteral(" (%1 sujet trouvé)"))
                                      .arg(n));
}

void CListWindow::AddRow(const std::string& text, ArticleNumber article) {
    const QString row = fromCp1252(text);
    insertRow(sortedRow(row), row, article);
    updateCountCaption();
    UpdateButtons();
}

bool CListWindow::RemoveRow(int i) {
    if (i < 0 || i >= RowCount())
        return false;
    delete m_list->takeItem(i);
    m_list->clearSelection();
    updateCountCaption();
    UpdateButtons();
    return true;
}

bool CListWindow::ReplaceRow(int i, const std::string& text) {
    if (i < 0 || i >= RowCount())
        return false;
    const ArticleNumber article = RowArticle(i);
    delete m_list->takeItem(i);
    AddRow(text, article);
    m_list->clearSelection();
    UpdateButtons();
    return true;
}

void CListWindow::addRows(const std::vector<SearchMatch>& matches) {
    if (matches.empty())
        return;
    // Sorting once and merging gives the rows one sorted insertion each
    // would give, without moving the list's rows a thousand times.
    std::vector<std::pair<QString, ArticleNumber>> rows;
    rows.reserve(size_t(RowCount()) + matches.size());
    for (int i = 0; i < RowCount(); ++i)
        rows.emplace_back(m_list->item(i)->text(), RowArticle(i));
    std::vector<std::pair<QString, ArticleNumber>> added;
    added.reserve(matches.size());
    for (const SearchMatch& match : matches)
        added.emplace_back(fromCp1252(match.title), match.article);
    std::stable_sort(added.begin(), added.end(), [this](const auto& a, const auto& b) {
        return m_collator.compare(a.first, b.first) < 0;
    });
    std::vector<std::pair<QString, ArticleNumber>> merged;
    merged.reserve(rows.size() + added.size());
    std::merge(
        rows.begin(), rows.end(), added.begin(), added.end(), std::back_inserter(merged),
        [this](const auto& a, const auto& b) { return m_collator.compare(a.first, b.first) < 0; });
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    for (const auto& [text, article] : merged)
        insertRow(m_list->count(), text, article);
    m_list->setUpdatesEnabled(true);
    updateCountCaption();
    UpdateButtons();
}

bool CListWindow::InsertTopRow(ArticleNumber article) {
    if (!m_bCreated)
        return false;
    insertRow(0, fromCp1252(m_app.articleTitle(article)), 0);
    UpdateButtons();
    return true;
}

bool CListWindow::DeleteTopRow() {
    if (!m_bCreated || m_list->count() == 0)
        return false;
    delete m_list->takeItem(0);
    return true;
}

void CListWindow::ClearRows() {
    m_list->clear();
    setWindowTitle(m_strCaption);
    UpdateButtons();
}

void CListWindow::SetQuery(const std::string& text, bool matchCase, bool wholeWord) {
    m_strQuery = text;
    m_bQueryMatchCase = matchCase;
    m_bQueryWholeWord = wholeWord;
    m_strCaption = fromCp1252(QueryCaption(text));
}

void CListWindow::ShowList() {
    showNormal();
}

int CListWindow::RowCount() const {
    return m_list->count();
}

std::string CListWindow::RowText(int i) const {
    if (i < 0 || i >= RowCount())
        return std::string();
    return toCp1252(m_list->item(i)->text());
}

ArticleNumber CListWindow::RowArticle(int i) const {
    if (i < 0 || i >= RowCount())
        return 0;
    return m_list->item(i)->data(kArticleRole).toInt();
}

int CListWindow::SelectedRow() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void CListWindow::UpdateButtons() {
    if (m_nMode != LISTMODE_BOOKMARKS)
        return;
    const bool enabled = RowCount() > 0 && SelectedRow() >= 0;
    m_btnShow->setEnabled(enabled);
    for (QPushButton* button : {m_btnDelete, m_btnRename})
        button->setEnabled(enabled && !m_rowsReadOnly);
}

void CListWindow::OpenSelected() {
    const int i = SelectedRow();
    if (i < 0)
        return;
    switch (m_nMode) {
    case LISTMODE_HISTORY: {
        const NavigationHistory& history = m_app.history();
        if (size_t(i) >= history.size())
            return;
        const HistoryEntry entry = history.entry(size_t(i));
        m_app.ShowArticle(entry.article, entry.topPosition);
        break;
    }
    case LISTMODE_RESULTS:
        m_app.ShowArticle(RowArticle(i), 0);
        m_app.HighlightQuery(m_strQuery, m_bQueryMatchCase, m_bQueryWholeWord);
        moveOffSelection();
        break;
    case LISTMODE_BOOKMARKS:
        m_app.ShowArticle(RowArticle(i), 0);
        break;
    }
}

void CListWindow::moveOffSelection() {
    const std::optional<QPoint> point = m_app.selectionScreenPoint();
    if (!point || !isVisible())
        return;
    const QRect window = frameGeometry();
    QScreen* screen = this->screen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    const auto top =
        TopOffSelection({window.x(), window.y(), window.width(), window.height()}, point->x(),
                        point->y(), {area.x(), area.y(), area.width(), area.height()});
    if (top)
        move(window.x(), *top);
}

void CListWindow::setRowActions(RowAction rename, RowAction remove) {
    m_renameAction = std::move(rename);
    m_deleteAction = std::move(remove);
}

void CListWindow::RenameSelected() {
    const int i = SelectedRow();
    if (i >= 0 && m_renameAction && !m_rowsReadOnly)
        m_renameAction(*this, i);
}

void CListWindow::DeleteSelected() {
    const int i = SelectedRow();
    if (i >= 0 && m_deleteAction && !m_rowsReadOnly)
        m_deleteAction(*this, i);
}

void CListWindow::layoutControls() {
    const int w = width();
    const int h = height();
    const int buttonHeight = m_btnShow->height();
    const int listHeight = m_nMode == LISTMODE_BOOKMARKS ? h - buttonHeight - 5 : h - 2;
    m_list->setGeometry(1, 1, w - 2, listHeight);
    for (QPushButton* button : {m_btnShow, m_btnDelete, m_btnRename})
        button->move(button->x(), h - buttonHeight - 1);
}

void CListWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_bCreated)
        layoutControls();
}

void CListWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (QWidget* frame = m_app.mainWindow())
            QApplication::alert(frame, kFlashMs);
    }
}

void CListWindow::keyPressEvent(QKeyEvent* event) {
    // Enter opens the selected row in every mode, also while the default
    // button is hidden.
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            OpenSelected();
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void CListWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The row the keyboard stands on is the selected one, so the buttons
    // that act on it are usable at once.
    if (m_list->count() > 0 && m_list->selectedItems().isEmpty()) {
        m_list->setCurrentRow(std::max(0, m_list->currentRow()));
        UpdateButtons();
    }
    emit visibilityChanged(isVisible());
}

void CListWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    emit visibilityChanged(isVisible());
}

} // namespace tolvane
