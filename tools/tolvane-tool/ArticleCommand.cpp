// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/articles/ArticleStore.h"
#include "core/authoring/HtmlExporter.h"
#include "core/common/Cp1252.h"
#include "core/rtf/RichTextDump.h"
#include "core/rtf/RtfReader.h"

#include <ostream>

namespace tolvane::tool {

int RunArticle(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> positional;
    std::string mode;
    for (const std::string& a : args) {
        if (a == "--title" || a == "--rtf" || a == "--links" || a == "--text" ||
            a == "--paragraphs" || a == "--count" || a == "--html") {
            if (!mode.empty()) {
                err << "tolvane-tool article : une seule option parmi --title, --rtf, --links, "
                       "--text, --paragraphs, --count, --html\n";
                return kUsage;
            }
            mode = a;
        } else if (a.rfind("--", 0) == 0) {
            err << "tolvane-tool article : option inconnue " << a << "\n";
            return kUsage;
        } else {
            positional.push_back(a);
        }
    }
    int32_t number = 0;
    if (positional.size() != 2 || mode.empty() || !ParseInt32(positional[1], number))
        return UsageError(err, "article");
    if (number <= 0)
        return kNotFound;

    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(DataSourceBaseArgument(positional[0])), index);
    store.LoadIndex();
    if (!store.FindEntry(number)) {
        err << cp1252::toUtf8("Cet article n'existe pas ! (ER" + std::to_string(number) + ")")
            << "\n";
        return kNotFound;
    }
    if (mode == "--links") {
        std::vector<LinkRecord> links;
        store.ReadLinks(number, links);
        for (const LinkRecord& l : links)
            out << l.first << ' ' << l.last << ' ' << l.target << ' ' << l.reserved << '\n';
        return kOk;
    }
    ArticleRecord record;
    store.ReadArticle(number, record);
    if (mode == "--html") {
        std::vector<LinkRecord> links;
        store.ReadLinks(number, links);
        out << authoring::DocumentHtml(rtf::RtfReader::read(record.body), record.title, links);
        return kOk;
    }
    if (mode == "--title")
        out << cp1252::toUtf8(record.title) << '\n';
    else if (mode == "--text")
        rtf::RichTextDump::write(record.body, rtf::RichTextDump::Mode::Text, out);
    else if (mode == "--paragraphs")
        rtf::RichTextDump::write(record.body, rtf::RichTextDump::Mode::Paragraphs, out);
    else if (mode == "--count")
        rtf::RichTextDump::write(record.body, rtf::RichTextDump::Mode::Count, out);
    else
        out.write(record.body.data(), static_cast<std::streamsize>(record.body.size()));
    return kOk;
}

namespace {
const CommandRegistration registration{
    {30, "article", "affiche le titre, le corps RTF ou les liens d'un article",
     "Usage : tolvane-tool article BASE N (--title | --rtf | --links | --text | --paragraphs |\n"
     "                                    --count | --html)\n\n"
     "  --title        le titre de l'article\n"
     "  --rtf          les octets bruts du corps RTF\n"
     "  --links        une ligne PREMIER DERNIER CIBLE RÉSERVÉ par lien\n"
     "  --text         le texte affiché du corps : un saut de ligne par marque de\n"
     "                 paragraphe, une tabulation par tabulation ou cellule, U+FFFC par\n"
     "                 image ou objet\n"
     "  --paragraphs   une ligne par paragraphe : sa première position, une tabulation,\n"
     "                 son texte\n"
     "  --count        le nombre total de positions du texte affiché\n"
     "  --html         une page HTML (UTF-8, autonome) du corps, telle que l'export\n"
     "                 la montre, liens compris\n"
     "Code 1 quand l'article n'existe pas.\n",
     RunArticle}};
} // namespace

} // namespace tolvane::tool
