// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panes/CFindDialog.h"

#include "ui/base/AppHooks.h"
#include "ui/base/QtText.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>

#include <iterator>

namespace tolvane {

namespace {

// Article titles and the engine's request are Windows-1252: a character
// outside the code page could only be searched as a '?' that it is not, so
// the text field does not take it.
class Cp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        bool lossless = true;
        cp1252::fromUtf16(input.toStdU16String(), &lossless);
        return lossless ? Acceptable : Invalid;
    }
};

} // namespace

CFindDialog::CFindDialog(AppHooks& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("findDialog"));
}

CFindDialog::~CFindDialog() {
    // QDialog's destructor hides the window, which takes the focus out of the
    // field and makes the combo box emit activated(); by then this object is
    // no longer a CFindDialog, so nothing of it may be called any more.
    if (m_combo) {
        m_combo->disconnect(this);
        if (QLineEdit* edit = m_combo->lineEdit())
            edit->disconnect(this);
    }
}

bool CFindDialog::CreateFind() {
    if (m_bCreated)
        return true;
    setWindowTitle(QStringLiteral("Rechercher..."));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("findText"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setDuplicatesEnabled(true);
    // The list is a record of earlier texts, not a source of completions.
    m_combo->setCompleter(nullptr);
    m_combo->lineEdit()->setValidator(new Cp1252Validator(m_combo));
    m_combo->setMinimumContentsLength(24);
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_combo->setAccessibleName(QStringLiteral("Texte à rechercher"));
    m_combo->setAccessibleDescription(
        QStringLiteral("Le mot ou le texte cherché ; la liste garde les textes déjà cherchés"));
    m_combo->lineEdit()->setAccessibleName(m_combo->accessibleName());
    m_combo->lineEdit()->setAccessibleDescription(QStringLiteral("Le mot ou le texte cherché"));
    m_combo->view()->setAccessibleName(QStringLiteral("Textes déjà cherchés"));
    m_combo->view()->setAccessibleDescription(
        QStringLiteral("Choisissez un texte cherché auparavant"));
    auto* label = new QLabel(QStringLiteral("Rec&hercher:"), this);
    label->setObjectName(QStringLiteral("findLabel"));
    label->setBuddy(m_combo);
    label->setAccessibleName(QStringLiteral("Rechercher"));
    label->setAccessibleDescription(QStringLiteral("Étiquette du texte à rechercher"));

    setAccessibleName(QStringLiteral("Rechercher"));
    setAccessibleDescription(
        QStringLiteral("Recherche un mot ou un texte dans tous les articles ou dans l'article "
                       "courant"));
    auto* scope = new QGroupBox(QStringLiteral("Rechercher dans"), this);
    scope->setObjectName(QStringLiteral("scopeBox"));
    scope->setAccessibleName(QStringLiteral("Rechercher dans"));
    scope->setAccessibleDescription(QStringLiteral("Où chercher le texte"));
    m_allArticles = new QRadioButton(QStringLiteral("&Tous les articles"), scope);
    m_allArticles->setObjectName(QStringLiteral("allArticles"));
    // "&Chercher" has the letter C, so that Alt+C runs the search as the
    // default button's letter should. This choice takes U instead, as its
    // own shortcut rather than in its text: screen readers announce it as
    // the key of the button's press action, and its description says it.
    m_currentArticle = new QRadioButton(QStringLiteral("Article courant"), scope);
    m_currentArticle->setObjectName(QStringLiteral("currentArticle"));
    m_currentArticle->setShortcut(QKeySequence(Qt::ALT | Qt::Key_U));
    m_currentArticle->setToolTip(QStringLiteral("Alt+U"));
    auto* scopeLayout = new QVBoxLayout(scope);
    scopeLayout->addWidget(m_allArticles);
    scopeLayout->addWidget(m_currentArticle);

    const auto describe = [](QAbstractButton* b, const QString& description) {
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));
        b->setAccessibleDescription(description);
    };
    describe(m_allArticles, QStringLiteral("Cherche dans les titres et les textes de tous les "
                                           "articles ; les résultats vont dans leur liste"));
    describe(m_currentArticle, QStringLiteral("Cherche dans l'article affiché (Alt+U)"));
    const auto checkBox = [this, &describe](const QString& text, const QString& name,
                                            const QString& description) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(name);
        describe(box, description);
        return box;
    };
    m_matchCase = checkBox(QStringLiteral("&Respecter la casse"), QStringLiteral("matchCase"),
                           QStringLiteral("Les majuscules et les minuscules comptent"));
    m_inTitle = checkBox(QStringLiteral("Chercher dans le t&itre"), QStringLiteral("inTitle"),
                         QStringLiteral("Cherche dans les titres des articles"));
    m_inText = checkBox(QStringLiteral("Chercher dans le t&exte"), QStringLiteral("inText"),
                        QStringLiteral("Cherche dans les textes des articles"));
    m_wholeWord = checkBox(QStringLiteral("&Mot entier"), QStringLiteral("wholeWord"),
                           QStringLiteral("Ne trouve le texte que s'il forme un mot entier"));
    m_inNotes = checkBox(QStringLiteral("Dans mes a&nnotations"), QStringLiteral("inNotes"),
                         QStringLiteral("Trouve aussi les articles dont votre annotation contient "
                                        "le texte ; ils sont marqués dans les résultats"));

    const auto button = [this, &describe](const QString& text, const QString& name,
                                          const QString& description) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        describe(b, description);
        return b;
    };
    m_search = button(QStringLiteral("&Chercher"), QStringLiteral("searchButton"),
                      QStringLiteral("Lance la recherche"));
    m_search->setDefault(true);
    m_findNext = button(QStringLiteral("&Suivant"), QStringLiteral("findNextButton"),
                        QStringLiteral("Trouve l'occurrence suivante dans l'article courant"));
    m_cancel = button(QStringLiteral("&Annuler"), QStringLiteral("cancelButton"),
                      QStringLiteral("Ferme la fenêtre de recherche"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_combo, 0, 1, 1, 2);
    grid->addWidget(scope, 1, 0, 2, 1);
    grid->addWidget(m_matchCase, 1, 1);
    grid->addWidget(m_wholeWord, 2, 1);
    grid->addWidget(m_inTitle, 1, 2);
    grid->addWidget(m_inText, 2, 2);
    grid->addWidget(m_inNotes, 3, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_search);
    buttons->addWidget(m_findNext);
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 3, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    QWidget* order[] = {m_combo,     m_allArticles, m_currentArticle, m_matchCase,
                        m_wholeWord, m_inTitle,     m_inText,         m_inNotes,
                        m_search,    m_findNext,    m_cancel};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    m_allArticles->setChecked(true);
    m_currentArticle->setChecked(false);
    m_matchCase->setChecked(false);
    m_inTitle->setChecked(true);
    m_inText->setChecked(true);
    m_wholeWord->setChecked(false);
    m_inNotes->setChecked(false);

    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(m_allArticles),
          static_cast<QAbstractButton*>(m_currentArticle), static_cast<QAbstractButton*>(m_inTitle),
          static_cast<QAbstractButton*>(m_inText), static_cast<QAbstractButton*>(m_inNotes)})
        connect(b, &QAbstractButton::clicked, this, &CFindDialog::UpdateControls);
    connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, [this] {
        m_listSelection = -1;
        UpdateControls();
    });
    connect(m_combo, &QComboBox::activated, this, [this](int index) {
        m_listSelection = index;
        UpdateControls();
    });
    connect(m_search, &QPushButton::clicked, this, &CFindDialog::OnSearch);
    connect(m_findNext, &QPushButton::clicked, this, &CFindDialog::OnFindNext);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_bCanFindNext = false;
    m_bCreated = true;
    UpdateControls();
    return true;
}

QString CFindDialog::editText() const {
    return m_combo->currentText();
}

QStringList CFindDialog::historyTexts() const {
    QStringList texts;
    if (m_combo != nullptr) {
        for (int i = 0; i < m_combo->count(); ++i)
            texts << m_combo->itemText(i);
    }
    return texts;
}

void CFindDialog::UpdateControls() {
    if (!m_bCreated)
        return;
    if (m_listSelection >= 0 && m_listSelection < m_combo->count() &&
        m_combo->currentText() != m_combo->itemText(m_listSelection))
        m_combo->setEditText(m_combo->itemText(m_listSelection));
    const qsizetype length = editText().size();
    // The title, text and notes boxes count even while they are disabled.
    m_search->setEnabled(
        length > 0 && (m_inTitle->isChecked() || m_inText->isChecked() || m_inNotes->isChecked()));
    bool next = m_bCanFindNext;
    if (m_allArticles->isChecked())
        next = false;
    m_findNext->setEnabled(next);
    m_inTitle->setEnabled(m_allArticles->isChecked());
    m_inText->setEnabled(m_allArticles->isChecked());
    m_inNotes->setEnabled(m_allArticles->isChecked());
    m_matchCase->setEnabled(true);
    m_wholeWord->setEnabled(true);
}

void CFindDialog::rememberText(const QString& text) {
    // The list is changed under blocked signals: its own index changes are
    // not the user's picks.
    const QSignalBlocker blocker(m_combo);
    for (int i = 0; i < m_combo->count(); ++i) {
        if (m_combo->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            m_combo->removeItem(i);
            break;
        }
    }
    m_combo->insertItem(0, text);
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(text);
    m_listSelection = -1;
}

void CFindDialog::OnSearch() {
    if (!m_search->isEnabled())
        return;
    const bool allArticles = m_allArticles->isChecked();
    const QString text = editText();
    rememberText(text);
    if (allArticles)
        SearchAllArticles();
    else
        SearchCurrentArticle();
}

void CFindDialog::SearchAllArticles() {
    const bool found = m_app.SearchArticles(toCp1252(editText()), m_matchCase->isChecked(),
                                            m_wholeWord->isChecked(), m_inTitle->isChecked(),
                                            m_inText->isChecked(), m_inNotes->isChecked());
    if (found)
        hide();
    else
        m_app.AppMessageBox(QStringLiteral("La chaîne recherchée n'a pu être trouvée."),
                            QMessageBox::NoIcon);
}

void CFindDialog::SearchCurrentArticle() {
    const int start = m_app.FindInArticle(editText().toStdU16String(), m_matchCase->isChecked(),
                                          m_wholeWord->isChecked(), true);
    if (start == -1) {
        m_app.AppMessageBox(QStringLiteral("Le texte recherché est introuvable."),
                            QMessageBox::NoIcon);
        m_bCanFindNext = false;
    } else {
        m_bCanFindNext = true;
    }
    UpdateControls();
}

void CFindDialog::OnFindNext() {
    if (!m_findNext->isEnabled())
        return;
    const int start = m_app.FindInArticle(editText().toStdU16String(), m_matchCase->isChecked(),
                                          m_wholeWord->isChecked(), false);
    if (start == -1) {
        m_app.AppMessageBox(QStringLiteral("La recherche est terminée."), QMessageBox::NoIcon);
        m_bCanFindNext = false;
    } else {
        m_bCanFindNext = true;
    }
    UpdateControls();
}

void CFindDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    emit visibilityChanged(isVisible());
}

void CFindDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    emit visibilityChanged(isVisible());
}

} // namespace tolvane
