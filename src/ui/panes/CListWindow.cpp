// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/CListWindow.h"

#include "core/articles/ArticleStore.h"
#include "core/geometry/DialogPlacement.h"
#include "core/search/SearchEngine.h"
#include "ui/base/AppHooks.h"
#include "ui/base/Keys.h"
#include "ui/base/QtText.h"
#include "ui/base/Theme.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace tolvane {

namespace {

// The attached article number of a row.
constexpr int kArticleRole = Qt::UserRole;
// A result found in the user's annotation.
constexpr int kInNoteRole = Qt::UserRole + 1;
// How long the main window's caption is flagged when a list window is
// activated or deactivated: one flash.
constexpr int kFlashMs = 500;
// The buttons' size; their places along the bottom edge are given where
// they are made (their tops follow the height).
constexpr QSize kButtonSize(75, 23);

// What a list window of each mode is called, from LISTMODE_HISTORY on: its
// caption, its description and the name of its list.
struct ModeTexts {
    const char16_t* caption;
    const char16_t* description;
    const char16_t* listName;
};
constexpr ModeTexts kModeTexts[] = {
    {u"Historique des articles consultés", u"Les articles consultés, le plus récent en premier",
     u"Articles consultés"},
    {u"Résultats de la recherche", u"Les articles trouvés par la dernière recherche",
     u"Articles trouvés"},
    {u"Liste des signets", u"Les signets, par ordre alphabétique", u"Signets"},
};

QPushButton* makeButton(const QString& text, const QString& name, int left,
                        const QString& description, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    button->setAccessibleDescription(description);
    button->setAutoDefault(false);
    button->setGeometry(QRect(QPoint(left, 0), kButtonSize));
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
    m_renameButton = makeButton(QStringLiteral("&Renommer"), QStringLiteral("renameButton"), 87,
                                QStringLiteral("Renomme le signet choisi"), this);
    m_showButton = makeButton(QStringLiteral("&Afficher"), QStringLiteral("showButton"), 6,
                              QStringLiteral("Affiche l'article choisi"), this);
    m_deleteButton = makeButton(QStringLiteral("&Supprimer"), QStringLiteral("deleteButton"), 168,
                                QStringLiteral("Supprime le signet choisi"), this);
    m_showButton->setDefault(true);
    m_showButton->hide();

    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OpenSelected(); });
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CListWindow::UpdateButtons);
    connect(m_showButton, &QPushButton::clicked, this, &CListWindow::OpenSelected);
    connect(m_deleteButton, &QPushButton::clicked, this, &CListWindow::DeleteSelected);
    connect(m_renameButton, &QPushButton::clicked, this, &CListWindow::RenameSelected);
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
    const ModeTexts& texts = kModeTexts[mode - LISTMODE_HISTORY];
    m_strCaption = QString::fromUtf16(texts.caption);
    // Named by its title, which gives the query and the count.
    setWindowTitle(m_strCaption);
    setAccessibleDescription(QString::fromUtf16(texts.description));
    m_list->setAccessibleName(QString::fromUtf16(texts.listName));
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
    for (QPushButton* button : {m_showButton, m_deleteButton, m_renameButton})
        button->setVisible(buttons);
    m_deleteButton->setEnabled(buttons);
    m_renameButton->setEnabled(buttons);
    layoutControls();
    UpdateButtons();
    setTabOrder(m_list, m_showButton);
    setTabOrder(m_showButton, m_renameButton);
    setTabOrder(m_renameButton, m_deleteButton);
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

void CListWindow::insertRow(int row, const QString& text, ArticleNumber article, bool inNote) {
    auto* item = new QListWidgetItem(text);
    if (article != 0)
        item->setData(kArticleRole, article);
    if (inNote) {
        // Said in the row's text, for every reader, and shown by the icon
        // of an annotated article.
        item->setData(kInNoteRole, true);
        item->setIcon(QIcon(m_app.iconPath(QStringLiteral("annotation-present"))));
        item->setToolTip(QStringLiteral("Le texte cherché est dans votre annotation"));
    }
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

bool CListWindow::removeRow(int i) {
    if (i < 0 || i >= RowCount())
        return false;
    delete m_list->takeItem(i);
    m_list->clearSelection();
    updateCountCaption();
    UpdateButtons();
    return true;
}

bool CListWindow::replaceRow(int i, const std::string& text) {
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
    struct Row {
        QString text;
        ArticleNumber article;
        bool inNote;
    };
    std::vector<Row> rows;
    rows.reserve(size_t(RowCount()) + matches.size());
    for (int i = 0; i < RowCount(); ++i)
        rows.push_back(
            {m_list->item(i)->text(), RowArticle(i), m_list->item(i)->data(kInNoteRole).toBool()});
    std::vector<Row> added;
    added.reserve(matches.size());
    for (const SearchMatch& match : matches)
        added.push_back({fromCp1252(match.inNote ? match.title + kFoundInNoteSuffix : match.title),
                         match.article, match.inNote});
    std::stable_sort(added.begin(), added.end(), [this](const auto& a, const auto& b) {
        return m_collator.compare(a.text, b.text) < 0;
    });
    std::vector<Row> merged;
    merged.reserve(rows.size() + added.size());
    std::merge(
        rows.begin(), rows.end(), added.begin(), added.end(), std::back_inserter(merged),
        [this](const auto& a, const auto& b) { return m_collator.compare(a.text, b.text) < 0; });
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    for (const Row& row : merged)
        insertRow(m_list->count(), row.text, row.article, row.inNote);
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

int CListWindow::selectedRow() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void CListWindow::UpdateButtons() {
    if (m_nMode != LISTMODE_BOOKMARKS)
        return;
    const bool enabled = RowCount() > 0 && selectedRow() >= 0;
    m_showButton->setEnabled(enabled);
    for (QPushButton* button : {m_deleteButton, m_renameButton})
        button->setEnabled(enabled && !m_rowsReadOnly);
}

void CListWindow::OpenSelected() {
    const int i = selectedRow();
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

bool CListWindow::openNeighbour(int direction) {
    const int count = RowCount();
    const int selected = selectedRow();
    const int row = selected >= 0 ? selected + direction : (direction > 0 ? 0 : count - 1);
    if (row < 0 || row >= count)
        return false;
    m_list->setCurrentRow(row);
    OpenSelected();
    return true;
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
    const int i = selectedRow();
    if (i >= 0 && m_renameAction && !m_rowsReadOnly)
        m_renameAction(*this, i);
}

void CListWindow::DeleteSelected() {
    const int i = selectedRow();
    if (i >= 0 && m_deleteAction && !m_rowsReadOnly)
        m_deleteAction(*this, i);
}

void CListWindow::layoutControls() {
    const int w = width();
    const int h = height();
    const int buttonHeight = m_showButton->height();
    const int listHeight = m_nMode == LISTMODE_BOOKMARKS ? h - buttonHeight - 5 : h - 2;
    m_list->setGeometry(1, 1, w - 2, listHeight);
    for (QPushButton* button : {m_showButton, m_deleteButton, m_renameButton})
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
    if (isPlainEnter(*event)) {
        OpenSelected();
        event->accept();
    } else {
        QDialog::keyPressEvent(event);
    }
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
