// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/CIndexWindow.h"

#include "core/common/FrenchOrder.h"
#include "ui/base/AppHooks.h"
#include "ui/base/Keys.h"
#include "ui/base/QtText.h"
#include "ui/panes/KeywordListModel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRect>
#include <QVBoxLayout>

#include <algorithm>

namespace tolvane {

namespace {

constexpr int kArticleRole = Qt::UserRole;
// Where the window opens, and its first size.
constexpr QRect kPlace(150, 150, 320, 360);

QString statusText(KeywordIndex::ReadStatus status, size_t count) {
    switch (status) {
    case KeywordIndex::ReadStatus::Ok:
        return count == 0 ? QStringLiteral("L'index de cette source de données est vide.")
                          : QString();
    case KeywordIndex::ReadStatus::Absent:
        return QStringLiteral("Cette source de données n'a pas d'index.");
    case KeywordIndex::ReadStatus::Unreadable:
        return QStringLiteral("L'index de cette source de données est illisible.");
    case KeywordIndex::ReadStatus::Damaged:
        return count == 0 ? QStringLiteral("L'index de cette source de données est illisible.")
                          : QStringLiteral("L'index de cette source de données est endommagé : "
                                           "seuls les mots-clés lisibles sont listés.");
    }
    return QString();
}

QPushButton* makeButton(const QString& text, const QString& name, const QString& description,
                        QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    button->setAccessibleDescription(description);
    button->setAutoDefault(false);
    return button;
}

// Keys that move in the list while the reader types in the field.
bool isListKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown;
}

} // namespace

CIndexWindow::CIndexWindow(AppHooks& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_edit(new QLineEdit(this)), m_list(new QListView(this)),
      m_model(new KeywordListModel(this)), m_status(new QLabel(this)),
      m_showButton(makeButton(QStringLiteral("&Afficher"), QStringLiteral("showButton"),
                              QStringLiteral("Affiche l'article du mot-clé choisi"), this)) {
    setObjectName(QStringLiteral("indexWindow"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Index"));

    auto* prompt = new QLabel(QStringLiteral("&Tapez le début du mot-clé :"), this);
    m_edit->setObjectName(QStringLiteral("keywordEdit"));
    m_edit->setAccessibleName(QStringLiteral("Début du mot-clé"));
    m_edit->setAccessibleDescription(
        QStringLiteral("Chaque lettre tapée choisit le premier mot-clé qui commence ainsi"));
    prompt->setBuddy(m_edit);

    m_list->setObjectName(QStringLiteral("keywordList"));
    m_list->setModel(m_model);
    // One height for every row: the view then lays out a hundred thousand
    // rows without measuring them.
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAccessibleName(QStringLiteral("Mots-clés"));
    m_list->setAccessibleDescription(
        QStringLiteral("Entrée ou double-clic affiche l'article du mot-clé choisi"));

    m_status->setObjectName(QStringLiteral("indexStatus"));
    m_status->setWordWrap(true);
    m_status->hide();

    m_showButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_showButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(prompt);
    layout->addWidget(m_edit);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    setTabOrder(m_edit, m_list);
    setTabOrder(m_list, m_showButton);

    connect(m_edit, &QLineEdit::textChanged, this, &CIndexWindow::selectTyped);
    connect(m_list, &QListView::doubleClicked, this, [this] { OpenSelected(); });
    connect(m_showButton, &QPushButton::clicked, this, &CIndexWindow::OpenSelected);
    m_edit->installEventFilter(this);
    m_list->installEventFilter(this);

    move(kPlace.topLeft());
    resize(kPlace.size());
    setKeywords(KeywordIndex(), KeywordIndex::ReadStatus::Absent);
}

KeywordIndex::ReadStatus CIndexWindow::LoadIndex(const std::string& path) {
    KeywordIndex keywords;
    const KeywordIndex::ReadStatus status = KeywordIndex::read(path, keywords);
    setKeywords(std::move(keywords), status);
    return status;
}

void CIndexWindow::setKeywords(KeywordIndex keywords, KeywordIndex::ReadStatus status) {
    m_model->setKeywords(std::move(keywords));
    const bool some = !m_model->keywords().empty();
    const QString text = statusText(status, m_model->keywords().size());
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
    m_status->setAccessibleName(text);
    setAccessibleDescription(
        text.isEmpty() || some
            ? QStringLiteral("Les mots-clés de la source de données, par ordre alphabétique")
            : text);
    for (QWidget* w : {static_cast<QWidget*>(m_edit), static_cast<QWidget*>(m_list),
                       static_cast<QWidget*>(m_showButton)})
        w->setEnabled(some);
    if (some)
        selectTyped(m_edit->text());
}

const KeywordIndex& CIndexWindow::keywords() const {
    return m_model->keywords();
}

bool CIndexWindow::selectTyped(const QString& text) {
    const KeywordIndex& keywords = m_model->keywords();
    if (keywords.empty())
        return false;
    const KeywordIndex::Found found = keywords.findPrefix(toCp1252(text));
    const QModelIndex index = m_model->index(static_cast<int>(found.row));
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index, QAbstractItemView::PositionAtTop);
    return found.exact;
}

int CIndexWindow::selectedRow() const {
    const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void CIndexWindow::OpenSelected() {
    const int row = selectedRow();
    const KeywordIndex& keywords = m_model->keywords();
    if (row < 0 || size_t(row) >= keywords.size())
        return;
    const KeywordEntry& entry = keywords[size_t(row)];
    if (entry.articles.size() == 1)
        m_app.ShowArticle(entry.articles.front(), 0);
    else
        showChoice(entry);
}

void CIndexWindow::showChoice(const KeywordEntry& entry) {
    if (m_choice)
        m_choice->close();
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("articleChoice"));
    dialog->setWindowTitle(QStringLiteral("Articles trouvés"));
    const QString keyword = fromCp1252(entry.keyword);
    dialog->setAccessibleDescription(
        QStringLiteral("Les articles du mot-clé « %1 » ; Entrée affiche l'article choisi")
            .arg(keyword));
    auto* label = new QLabel(QStringLiteral("Articles du &mot-clé « %1 » :").arg(keyword), dialog);
    auto* list = new QListWidget(dialog);
    list->setObjectName(QStringLiteral("articleList"));
    list->setAccessibleName(QStringLiteral("Articles du mot-clé"));
    list->setAccessibleDescription(QStringLiteral("Entrée ou double-clic affiche l'article"));
    label->setBuddy(list);

    // The titles in French order, as the keywords are.
    std::vector<std::pair<std::string, ArticleNumber>> rows;
    for (const ArticleNumber n : entry.articles) {
        std::string title = m_app.articleTitle(n);
        if (title.rfind("#POPUP:", 0) == 0)
            title.erase(0, 7);
        rows.emplace_back(title.empty() ? "Article " + std::to_string(n) : title, n);
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return french::less(a.first, b.first); });
    for (const auto& [title, n] : rows) {
        auto* item = new QListWidgetItem(fromCp1252(title), list);
        item->setData(kArticleRole, n);
    }
    list->setCurrentRow(0);

    auto* show = makeButton(QStringLiteral("&Afficher"), QStringLiteral("choiceShowButton"),
                            QStringLiteral("Affiche l'article choisi"), dialog);
    auto* cancel = makeButton(QStringLiteral("A&nnuler"), QStringLiteral("choiceCancelButton"),
                              QStringLiteral("Ferme cette liste sans rien afficher"), dialog);
    show->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(show);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);

    connect(list, &QListWidget::itemDoubleClicked, dialog, &QDialog::accept);
    connect(show, &QPushButton::clicked, dialog, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    connect(dialog, &QDialog::accepted, this, [this, list] {
        const QListWidgetItem* item = list->currentItem();
        if (item != nullptr)
            m_app.ShowArticle(item->data(kArticleRole).toInt(), 0);
    });
    // Whatever was chosen, the keys go back to the index, as after a
    // keyword of one article.
    connect(dialog, &QDialog::finished, this, [this] {
        activateWindow();
        m_edit->setFocus(Qt::OtherFocusReason);
    });
    m_choice = dialog;
    dialog->resize(360, 220);
    dialog->open();
    list->setFocus();
}

bool CIndexWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_edit && isListKey(key->key())) {
        // The field keeps the focus while the arrows walk the list.
        QApplication::sendEvent(m_list, event);
        return true;
    }
    if (watched == m_list && !key->text().isEmpty() && key->text().at(0).isPrint() &&
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
        // Typing in the list goes on in the field, which does the search.
        m_edit->setFocus(Qt::OtherFocusReason);
        m_edit->insert(key->text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CIndexWindow::keyPressEvent(QKeyEvent* event) {
    // Enter in the field or the list shows the selected keyword's article.
    if (isPlainEnter(*event)) {
        OpenSelected();
        event->accept();
    } else {
        QDialog::keyPressEvent(event);
    }
}

void CIndexWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_edit->isEnabled()) {
        m_edit->setFocus(Qt::OtherFocusReason);
        m_edit->selectAll();
    }
    emit visibilityChanged(isVisible());
}

void CIndexWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Closed by Escape or its button, the index hands the keyboard back to
    // the article, also where no window manager does it.
    if (QWidget* main = m_app.mainWindow(); main != nullptr && main->isVisible())
        main->activateWindow();
    emit visibilityChanged(isVisible());
}

} // namespace tolvane
