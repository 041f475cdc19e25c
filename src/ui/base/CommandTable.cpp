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
    {cmd::kHome, u"Retourne à la page d'accueil", u"Page d'accueil", u"home"},
    {cmd::kBack, u"Page précédente dans l'historique", u"Page précédente", u"back"},
    {cmd::kForward, u"Page suivante dans l'historique", u"Page suivante", u"forward"},
    {cmd::kResume, u"Affiche l'article de la dernière lecture, là où elle s'est arrêtée",
     u"Reprendre la lecture", u""},
    {cmd::kSync, u"Synchronise l'article avec l'arborescence", u"Synchroniser l'article", u"sync"},
    {cmd::kAddBookmark, u"Définit un signet pour cette page", u"Définir signet", u"bookmark-add"},
    {cmd::kQuit, u"Ferme l'application ; propose d'enregistrer les documents", u"Quitter", u""},
    {cmd::kCopy, u"Copie la sélection et la place dans le Presse-papiers", u"Copier", u"copy"},
    // The resource text carries a mistyped "/n" where the line break of a
    // tooltip would be; the status bar shows only the prompt.
    {cmd::kSelectAll, u"Sélectionne le document entier", u"", u""},
    {cmd::kFind, u"Effectue la recherche d'un mot ou d'un texte", u"Rechercher", u"find"},
    {cmd::kAnnotation, u"Affiche ou masque l'annotation personnalisée relative à l'article",
     u"Annotation", u"annotation"},
    {cmd::kAnnotationPresent, u"", u"", u"annotation-present"},
    {cmd::kToolBar, u"Affiche ou masque la barre d'outils", u"Barre d'outils", u""},
    {cmd::kStatusBar, u"Affiche ou masque la barre d'état", u"Barre d'état", u""},
    {cmd::kHistory, u"Affiche ou masque la fenêtre d'historique", u"Historique", u"history"},
    {cmd::kBookmarks, u"Affiche ou masque la liste des signets", u"Liste des signets",
     u"bookmarks"},
    {cmd::kResults, u"Affiche ou masque les résultats de la dernière recherche",
     u"Résultats de la recherche", u"results"},
    {cmd::kPrintPreview, u"Affiche les pages de l'article telles qu'elles seront imprimées",
     u"Aperçu avant impression", u""},
    {cmd::kNextHit, u"Sélectionne l'occurrence suivante du texte cherché, ou le résultat suivant",
     u"Occurrence suivante", u""},
    {cmd::kPreviousHit,
     u"Sélectionne l'occurrence précédente du texte cherché, ou le résultat précédent",
     u"Occurrence précédente", u""},
    {cmd::kIndex, u"Affiche ou masque l'index des mots-clés", u"Index", u""},
    {cmd::kAbout,
     u"Affiche des informations sur le programme, le numéro de version et le copyright",
     u"A propos de", u"about"},
};

} // namespace

CommandTexts findCommandTexts(int id) {
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
