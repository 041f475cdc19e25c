// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/authoring/HtmlExporter.h"
#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/rtf/RichTextDump.h"
#include "core/rtf/RtfReader.h"

#include <iostream>
#include <iterator>
#include <ostream>

namespace tolvane::tool {

int RunRtf(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string file;
    rtf::RichTextDump::Mode mode = rtf::RichTextDump::Mode::Text;
    bool modeGiven = false;
    bool fileGiven = false;
    bool html = false;
    for (const std::string& a : args) {
        if (a == "--paragraphs" || a == "--count" || a == "--text" || a == "--model" ||
            a == "--html") {
            if (modeGiven) {
                err << "tolvane-tool rtf : une seule option parmi --text, --paragraphs, --count, "
                       "--model, --html\n";
                return kUsage;
            }
            modeGiven = true;
            html = a == "--html";
            mode = a == "--paragraphs" ? rtf::RichTextDump::Mode::Paragraphs
                   : a == "--count"    ? rtf::RichTextDump::Mode::Count
                   : a == "--model"    ? rtf::RichTextDump::Mode::Model
                                       : rtf::RichTextDump::Mode::Text;
        } else if (a.size() > 1 && a[0] == '-') {
            err << "tolvane-tool rtf : option inconnue " << a << "\n";
            return kUsage;
        } else if (fileGiven) {
            return UsageError(err, "rtf");
        } else {
            file = a;
            fileGiven = true;
        }
    }
    if (!fileGiven)
        return UsageError(err, "rtf");
    std::string input;
    FileContents contents;
    std::string_view bytes;
    if (file == "-") {
        input.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        bytes = input;
    } else if (contents.read(file)) {
        bytes = contents.bytes();
    } else {
        err << "tolvane-tool rtf : impossible de lire " << file << "\n";
        return kNotFound;
    }
    if (html) {
        out << authoring::DocumentHtml(rtf::RtfReader::read(bytes), cp1252::fromUtf8(file));
        return kOk;
    }
    rtf::RichTextDump::write(bytes, mode, out);
    return kOk;
}

namespace {
const CommandRegistration registration{
    {35, "rtf", "affiche le texte d'un document RTF dans la numérotation des liens",
     "Usage : tolvane-tool rtf FICHIER [--text | --paragraphs | --count | --model | --html]\n\n"
     "FICHIER est un document RTF, ou - pour l'entrée standard.\n"
     "  --text         le texte affiché (par défaut) : un saut de ligne par\n"
     "                 marque de paragraphe, une tabulation par tabulation ou cellule,\n"
     "                 U+FFFC par image ou objet\n"
     "  --paragraphs   une ligne par paragraphe : sa première position, une\n"
     "                 tabulation, son texte\n"
     "  --count        le nombre total de positions\n"
     "  --model        le modèle du document : paragraphes et leurs formats,\n"
     "                 segments, lignes et cellules des tableaux\n"
     "  --html         une page HTML (UTF-8, autonome) du document, telle que\n"
     "                 l'export la montre : tableaux, notes, bordures\n"
     "Code 1 quand le fichier ne peut pas être lu.\n",
     RunRtf}};
} // namespace

} // namespace tolvane::tool
