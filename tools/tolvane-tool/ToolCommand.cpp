#include "ToolCommand.h"

#include "common/Cp1252.h"

#include <cerrno>
#include <cstdlib>

namespace tolvane::tool {

const std::vector<ToolCommand>& Commands() {
    static const std::vector<ToolCommand> commands = {
        {"startup", "applique les r\xC3\xA8gles de d\xC3\xA9marrage de la visionneuse",
         "Usage : tolvane-tool startup [--exe CHEMIN] [--] ARGUMENTS...\n\n"
         "Applique la ligne de commande et la recherche de la source de donn\xC3\xA9" "es comme la\n"
         "visionneuse, avec CHEMIN comme chemin de l'ex\xC3\xA9" "cutable, et affiche une ligne\n"
         "cl\xC3\xA9=valeur pour data_source, user_base, class_name, title, start_article,\n"
         "close_running et missing. Code 1 quand la source de donn\xC3\xA9" "es manque.\n",
         RunStartup},
        {"index", "liste les entr\xC3\xA9" "es de l'index .PGH",
         "Usage : tolvane-tool index BASE\n\n"
         "Une ligne par entr\xC3\xA9" "e du .PGH dans l'ordre du fichier :\n"
         "NUM\xC3\x89RO OFFSET_PGD OFFSET_PGL NOMBRE_DE_LIENS, puis \xC2\xAB" "articles: N\xC2\xBB.\n",
         RunIndex},
        {"article", "affiche le titre, le corps RTF ou les liens d'un article",
         "Usage : tolvane-tool article BASE N (--title | --rtf | --links)\n\n"
         "  --title   le titre de l'article\n"
         "  --rtf     les octets bruts du corps RTF\n"
         "  --links   une ligne PREMIER DERNIER CIBLE R\xC3\x89SERV\xC3\x89 par lien\n"
         "Code 1 quand l'article n'existe pas.\n",
         RunArticle},
        {"generate", "g\xC3\xA9n\xC3\xA8re une source de donn\xC3\xA9" "es r\xC3\xA9" "aliste",
         "Usage : tolvane-tool generate OUTBASE --articles N [--seed S]\n\n"
         "\xC3\x89" "crit OUTBASE.PGH, .PGD, .PGL et .FIC : N articles de texte fran\xC3\xA7" "ais\n"
         "avec mise en forme, liens (dont vers des notes) et un sommaire. Le r\xC3\xA9sultat\n"
         "ne d\xC3\xA9pend que de N et de S (1 par d\xC3\xA9" "faut).\n",
         RunGenerate},
    };
    return commands;
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--")
            return false;
        if (a == "--help" || a == "-h")
            return true;
    }
    return false;
}

std::string DataSourceBaseArgument(const std::string& arg) {
    const std::string key = cp1252::toUpper(cp1252::fromUtf8(arg));
    for (const char* ext : {".PGH", ".PGD", ".PGL", ".FIC"}) {
        if (key.size() > 4 && key.compare(key.size() - 4, 4, ext) == 0)
            return arg.substr(0, arg.size() - 4);
    }
    return arg;
}

bool ParseInt32(const std::string& text, int32_t& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

} // namespace tolvane::tool
