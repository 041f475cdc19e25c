// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/common/Cp1252.h"
#include "core/common/InputFile.h"
#include "core/common/PathResolver.h"
#include "core/stores/AnnotationFile.h"

#include <map>
#include <ostream>

namespace tolvane::tool {

const char* const kUsageText =
    "Usage : tolvane-tool notes USERBASE [--show N]\n\n"
    "USERBASE est la base des fichiers de l'utilisateur (ou son .NOT, .NO$ ou .SIG).\n"
    "Une ligne ARTICLE OCTETS par enregistrement du .NOT dans l'ordre du fichier,\n"
    "puis «annotations: N» (nombre d'articles distincts).\n"
    "  --show N   le texte de l'annotation de l'article N, en UTF-8, tel quel\n"
    "Code 1 quand le fichier n'existe pas ou que l'article n'a pas d'annotation.\n";

int RunNotes(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string base;
    bool show = false;
    int32_t wanted = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--show" && !show && i + 1 < args.size() &&
            ParseInt32(args[i + 1], wanted)) {
            show = true;
            ++i;
        } else if (base.empty() && !args[i].empty() && args[i][0] != '-') {
            base = args[i];
        } else {
            return UsageError(err, "notes");
        }
    }
    if (base.empty())
        return UsageError(err, "notes");
    const std::string path = PathResolver::fileOfBase(UserBaseArgument(base), ".NOT");
    InputFile file;
    if (!file.open(path))
        return CannotOpen(err, "notes", path);
    const std::vector<AnnotationLocation> records = AnnotationFile::ReadPermanentIndex(file);
    if (show) {
        // A later record for the same article replaces an earlier one, as
        // in the viewer.
        const AnnotationLocation* found = nullptr;
        for (const AnnotationLocation& record : records) {
            if (record.article == wanted)
                found = &record;
        }
        std::string text;
        if (!found || !AnnotationFile::ReadBodyAt(file, found->bodyOffset, text) || text.empty()) {
            err << "tolvane-tool notes : l'article " << wanted << " n'a pas d'annotation\n";
            return kNotFound;
        }
        out << cp1252::toUtf8(text);
        return kOk;
    }
    std::map<int32_t, bool> articles;
    for (const AnnotationLocation& record : records) {
        out << record.article << ' ' << record.length << '\n';
        articles[record.article] = true;
    }
    return CountLine(out, "annotations", articles.size());
}

const CommandRegistration registration{
    {60, "notes", "liste les annotations du fichier .NOT", kUsageText, RunNotes}};

} // namespace tolvane::tool
