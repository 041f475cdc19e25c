// Writes the small French sample data source that the build places beside
// the executables, so that a bare start of the viewer finds something.

#include "articles/DataSourceWriter.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace tolvane;

namespace {

// Builds one article body and its links; positions follow the viewer's
// numbering: one per character, two per paragraph mark.
class Body {
public:
    Body() {
        m_rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
                "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green128\\blue0;\\red0\\green0\\blue160;}\n";
    }
    void heading(const std::string& text) {
        m_rtf += "\\pard\\sb120\\sa120\\b\\fs32 ";
        text1252(text);
        m_rtf += "\\b0\\fs20\\par\n";
        m_pos += 2;
    }
    void startParagraph() { m_rtf += "\\pard\\sa100 "; }
    void text(const std::string& t) { text1252(t); }
    void bold(const std::string& t) {
        m_rtf += "{\\b ";
        text1252(t);
        m_rtf += "}";
    }
    void link(const std::string& t, int target, bool popup = false) {
        m_rtf += popup ? "{\\uld\\cf3 " : "{\\ul\\cf2 ";
        const int first = m_pos;
        text1252(t);
        m_rtf += "}";
        m_links.push_back({first, m_pos - 1, target, 0});
    }
    void endParagraph() {
        m_rtf += "\\par\n";
        m_pos += 2;
    }
    std::string rtf() const { return m_rtf + "}"; }
    const std::vector<LinkRecord>& links() const { return m_links; }

private:
    void text1252(const std::string& t) {
        static const char* hex = "0123456789abcdef";
        for (const char ch : t) {
            const auto c = static_cast<unsigned char>(ch);
            if (c >= 0x80) {
                m_rtf += "\\'";
                m_rtf += hex[c >> 4];
                m_rtf += hex[c & 15];
            } else {
                m_rtf += ch;
            }
            ++m_pos;
        }
    }
    std::string m_rtf;
    std::vector<LinkRecord> m_links;
    int m_pos = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tolvane-mksample OUTBASE\n");
        return 2;
    }
    DataSourceWriter w;

    Body home;
    home.heading("Bienvenue dans Tolvane");
    home.startParagraph();
    home.text("Tolvane affiche l'aide hypertexte : des articles reli\xE9s par des ");
    home.link("liens", 2);
    home.text(", un ");
    home.link("sommaire", 3);
    home.text(" \xE0 gauche et des ");
    home.link("notes", 10, true);
    home.text(" qui s'ouvrent pr\xE8s du clic.");
    home.endParagraph();
    home.startParagraph();
    home.text("Pour revenir en arri\xE8re, utilisez la commande ");
    home.bold("Article pr\xE9" "c\xE9" "dent");
    home.text(". Pour retrouver un sujet, ");
    home.link("cherchez", 4);
    home.text(" dans les titres et les textes.");
    home.endParagraph();
    w.addArticle(1, "Accueil", home.rtf(), home.links());

    Body links;
    links.heading("Les liens");
    links.startParagraph();
    links.text("Un lien est un mot soulign\xE9 en vert. Cliquez dessus pour afficher l'article "
               "qu'il d\xE9signe ; la ");
    links.link("page d'accueil", 1);
    links.text(" est toujours l'article 1.");
    links.endParagraph();
    w.addArticle(2, "Suivre un lien", links.rtf(), links.links());

    Body outline;
    outline.heading("Le sommaire");
    outline.startParagraph();
    outline.text("Le sommaire range les articles dans des dossiers. Double-cliquez sur un titre "
                 "pour l'afficher, ou appuyez sur Entr\xE9" "e.");
    outline.endParagraph();
    w.addArticle(3, "Le sommaire", outline.rtf(), outline.links());

    Body search;
    search.heading("Rechercher");
    search.startParagraph();
    search.text("La recherche trouve un mot dans les titres ou dans le texte de tous les "
                "articles, avec ou sans respect de la casse : \xE9" "cole et \xC9" "COLE.");
    search.endParagraph();
    w.addArticle(4, "Rechercher un texte", search.rtf(), search.links());

    Body note;
    note.startParagraph();
    note.text("Une note s'ouvre dans une petite fen\xEAtre. Un clic ou une touche la referme.");
    note.endParagraph();
    w.addArticle(10, "#POPUP:Note", note.rtf(), note.links());

    w.addOutline({"P1", "Prise en main", "0", 0, 0, 0});
    w.addOutline({"A1", "Accueil", "P1", 1, 0, 0});
    w.addOutline({"P2", "Navigation", "P1", 0, 0, 0});
    w.addOutline({"A2", "Suivre un lien", "P2", 2, 0, 0});
    w.addOutline({"P3", "Fen\xEAtres", "P2", 0, 0, 0});
    w.addOutline({"A3", "Le sommaire", "P3", 3, 0, 0});
    w.addOutline({"P4", "Outils", "0", 0, 0, 0});
    w.addOutline({"A4", "Rechercher un texte", "P4", 4, 0, 0});

    std::string error;
    if (!w.write(argv[1], &error)) {
        std::fprintf(stderr, "tolvane-mksample: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
