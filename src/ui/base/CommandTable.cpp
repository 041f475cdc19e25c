// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/base/CommandTable.h"

namespace tolvane {

namespace {

struct Entry {
    int id;
    const char16_t* prompt;
    const char16_t* tooltip;
    const char16_t* icon;
};

// Prompt and tooltip of every command, as the status bar and the toolbar
// show them.
constexpr Entry kEntries[] = {
    {cmd::Home, u"Retourne à la page d'accueil", u"Page d'accueil", u"home"},
    {cmd::Back, u"Page précédente dans l'historique", u"Page précédente", u"back"},
    {cmd::Forward, u"Page suivante dans l'historique", u"Page suivante", u"forward"},
    {cmd::Resume, u"Affiche l'article de la dernière lecture, là où elle s'est arrêtée",
     u"Reprendre la lecture", u""},
    {cmd::Sync, u"Synchronise l'article avec l'arborescence", u"Synchroniser l'article", u"sync"},
    {cmd::AddBookmark, u"Définit un signet pour cette page", u"Définir signet", u"bookmark-add"},
    {cmd::Quit, u"Ferme l'application ; propose d'enregistrer les documents", u"Quitter", u""},
    {cmd::Copy, u"Copie la sélection et la place dans le Presse-papiers", u"Copier", u"copy"},
    // The resource text carries a mistyped "/n" where the line break of a
    // tooltip would be; the status bar shows only the prompt.
    {cmd::SelectAll, u"Sélectionne le document entier", u"", u""},
    {cmd::Find, u"Effectue la recherche d'un mot ou d'un texte", u"Rechercher", u"find"},
    {cmd::Annotation, u"Affiche ou masque l'annotation personnalisée relative à l'article",
     u"Annotation", u"annotation"},
    {cmd::AnnotationPresent, u"", u"", u"annotation-present"},
    {cmd::ToolBar, u"Affiche ou masque la barre d'outils", u"Barre d'outils", u""},
    {cmd::StatusBar, u"Affiche ou masque la barre d'état", u"Barre d'état", u""},
    {cmd::History, u"Affiche ou masque la fenêtre d'historique", u"Historique", u"history"},
    {cmd::Bookmarks, u"Affiche ou masque la liste des signets", u"Liste des signets", u"bookmarks"},
    {cmd::Results, u"Affiche ou masque les résultats de la dernière recherche",
     u"Résultats de la recherche", u"results"},
    {cmd::PrintPreview, u"Affiche les pages de l'article telles qu'elles seront imprimées",
     u"Aperçu avant impression", u""},
    {cmd::NextHit, u"Sélectionne l'occurrence suivante du texte cherché, ou le résultat suivant",
     u"Occurrence suivante", u""},
    {cmd::PreviousHit,
     u"Sélectionne l'occurrence précédente du texte cherché, ou le résultat précédent",
     u"Occurrence précédente", u""},
    {cmd::Index, u"Affiche ou masque l'index des mots-clés", u"Index", u""},
    {cmd::About, u"Affiche des informations sur le programme, le numéro de version et le copyright",
     u"A propos de", u"about"},
};

} // namespace

CommandTexts FindCommandTexts(int id) {
    for (const Entry& e : kEntries) {
        if (e.id == id) {
            CommandTexts texts;
            texts.id = id;
            texts.prompt = QString::fromUtf16(e.prompt);
            texts.tooltip = QString::fromUtf16(e.tooltip);
            texts.icon = QString::fromUtf16(e.icon);
            return texts;
        }
    }
    return {};
}

} // namespace tolvane
