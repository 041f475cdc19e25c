// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceGenerator.h"

#include "core/common/Cp1252.h"

#include <initializer_list>
#include <string_view>
#include <vector>

namespace tolvane {
namespace {

// The words as the data source holds them: Windows-1252 bytes.
std::vector<std::string> cp1252Words(std::initializer_list<std::string_view> utf8) {
    std::vector<std::string> words;
    words.reserve(utf8.size());
    for (const std::string_view w : utf8)
        words.push_back(cp1252::fromUtf8(w));
    return words;
}

// Words of French help text.
const std::vector<std::string> kWords = cp1252Words({
    "le",           "la",        "les",       "un",       "une",        "des",         "du",
    "de",           "et",        "ou",        "pour",     "avec",       "dans",        "sur",
    "par",          "sans",      "fenêtre",   "article",  "menu",       "commande",    "bouton",
    "écran",        "résultat",  "recherche", "signet",   "annotation", "historique",  "paramètre",
    "propriété",    "sélection", "données",   "fichier",  "dossier",    "accès",       "système",
    "bibliothèque", "élément",   "contrôle",  "clavier",  "souris",     "touche",      "cliquez",
    "choisissez",   "affichez",  "vérifiez",  "ouvrez",   "fermez",     "permet",      "indique",
    "montre",       "contient",  "précédent", "suivant",  "général",    "particulier", "défaut",
    "option",       "réglage",   "façon",     "à",        "où",         "déjà",        "très",
    "plus",         "moins",     "toujours",  "jamais",   "souvent",    "ensuite",     "enfin",
    "cœur",         "œuvre",     "naïve",     "Noël",     "été",        "hiver",       "école",
    "maître",       "modèle",    "exemple",   "aperçu",   "chaîne",     "texte",       "mot",
    "motif",        "titre",     "sommaire",  "rubrique", "chapitre",   "partie",      "aide",
    "utilisateur",  "logiciel",  "version",   "imprimer", "copier",     "coller",      "insérer",
    "supprimer",    "renommer",  "valider",   "annuler",
});

const std::vector<std::string> kTitleWords = cp1252Words({
    "Utilisation", "Présentation", "Configuration", "Réglages",   "Impression",  "Recherche",
    "Navigation",  "Signets",      "Annotations",   "Historique", "Sommaire",    "Fenêtres",
    "Menus",       "Commandes",    "Raccourcis",    "Fichiers",   "Données",     "Éléments",
    "Options",     "Affichage",    "Contrôles",     "Modèles",    "Généralités", "Exemples",
});

// Appends Windows-1252 text to RTF: bytes >= 0x80 as \'hh, returns the
// number of positions the text occupies.
uint32_t appendText(std::string& rtf, std::string_view text) {
    cp1252::appendRtfText(rtf, text);
    return static_cast<uint32_t>(text.size());
}

std::string keyOf(char prefix, int32_t n) {
    return prefix + std::to_string(n);
}

} // namespace

uint64_t DataSourceGenerator::next() {
    // splitmix64: fully specified, so the same seed gives the same data
    // source on every platform and library.
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

bool DataSourceGenerator::isPopup(int32_t n) const {
    return n > 1 && m_options.popupEvery > 0 && n % m_options.popupEvery == 0;
}

void DataSourceGenerator::generate(DataSourceWriter& writer) {
    m_state = m_options.seed;
    const int32_t count = m_options.articles;
    if (count <= 0)
        return;
    std::vector<std::string> titles(static_cast<size_t>(count) + 1);
    for (int32_t n = 1; n <= count; ++n) {
        std::string t;
        if (n == 1) {
            t = "Bienvenue dans l'aide";
        } else {
            t = pick(kTitleWords);
            t += ' ';
            t += pick(kWords);
            t += ' ';
            t += std::to_string(n);
        }
        titles[static_cast<size_t>(n)] = isPopup(n) ? "#POPUP:" + t : t;
    }

    const char* header =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
        "{\\f1\\froman\\fcharset0 Times New Roman;}}"
        "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green128\\blue0;"
        "\\red0\\green0\\blue160;}\n";
    std::string rtf;
    std::vector<LinkRecord> links;
    for (int32_t n = 1; n <= count; ++n) {
        rtf.assign(header);
        links.clear();
        uint32_t pos = 0;
        const bool popup = isPopup(n);
        const std::string_view title =
            std::string_view(titles[static_cast<size_t>(n)]).substr(popup ? 7 : 0);
        rtf += "\\pard\\sb120\\sa120\\b\\fs";
        rtf += popup ? "20 " : "32 ";
        pos += appendText(rtf, title);
        rtf += "\\b0\\fs20\\par\n";
        pos += 2;
        bool hasBodyWord = false;

        const uint32_t target =
            popup ? m_options.averageBodyBytes / 10 + 1
                  : m_options.averageBodyBytes / 2 + below(m_options.averageBodyBytes) + 1;
        while (rtf.size() < target) {
            rtf += "\\pard\\sa80\\fi284 ";
            const uint32_t words = 20 + below(60);
            for (uint32_t w = 0; w < words; ++w) {
                if (w > 0) {
                    rtf += ' ';
                    ++pos;
                }
                const uint32_t roll = below(100);
                if (roll < 4 && count > 1 && !popup) {
                    int32_t to = 1 + static_cast<int32_t>(below(static_cast<uint32_t>(count)));
                    if (to == n)
                        to = n == 1 ? 2 : 1;
                    const bool toPopup = isPopup(to);
                    rtf += toPopup ? "{\\uld\\cf3 " : "{\\ul\\cf2 ";
                    const std::string_view anchor = pick(kWords);
                    const uint32_t first = pos;
                    pos += appendText(rtf, anchor);
                    rtf += '}';
                    links.push_back(
                        {static_cast<int32_t>(first), static_cast<int32_t>(pos - 1), to, 0});
                } else if (roll < 8) {
                    rtf += "{\\b ";
                    pos += appendText(rtf, pick(kWords));
                    rtf += '}';
                } else if (roll < 11) {
                    rtf += "{\\i ";
                    pos += appendText(rtf, pick(kWords));
                    rtf += '}';
                } else if (w == words / 2) {
                    pos += appendText(rtf, bodyOnlyWord());
                    hasBodyWord = true;
                } else {
                    pos += appendText(rtf, pick(kWords));
                }
            }
            rtf += ".\\par\n";
            pos += 3;
        }
        // The middle word of a paragraph can lose its turn to a link or a
        // bold run, and a short body has no paragraph at all: the word every
        // body promises then gets a closing paragraph of its own.
        if (!hasBodyWord) {
            rtf += "\\pard\\sa80\\fi284 ";
            appendText(rtf, bodyOnlyWord());
            rtf += ".\\par\n";
        }
        rtf += "}";
        writer.addArticle(n, titles[static_cast<size_t>(n)], rtf, links);
    }

    // Outline: parts of up to ten chapters, chapters of up to twenty article
    // headings, every non-popup article once.
    int32_t part = 0, chapter = 0, inChapter = 20, inPart = 10;
    for (int32_t n = 1; n <= count; ++n) {
        if (isPopup(n))
            continue;
        if (inChapter == 20) {
            if (inPart == 10) {
                ++part;
                inPart = 0;
                writer.addOutline(
                    {keyOf('P', part), "Partie " + std::to_string(part), "0", 0, 0, 0});
            }
            ++chapter;
            ++inPart;
            inChapter = 0;
            writer.addOutline({keyOf('C', chapter), "Chapitre " + std::to_string(chapter),
                               keyOf('P', part), 0, 0, 0});
        }
        ++inChapter;
        std::string heading = titles[static_cast<size_t>(n)].substr(0, 79);
        writer.addOutline({keyOf('A', n), heading, keyOf('C', chapter), n, 0, 0});
    }
}

} // namespace tolvane
