// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolCommand.h"
#include "core/articles/DataSourceGenerator.h"

#include <ostream>

namespace tolvane::tool {

int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string outBase;
    GeneratorOptions options;
    bool haveCount = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--articles" || a == "--seed" || a == "--body-bytes") && i + 1 < args.size()) {
            int32_t v = 0;
            if (!ParseInt32(args[++i], v) || v < (a == "--seed" ? 0 : 1)) {
                err << "tolvane-tool generate : valeur invalide pour " << a << "\n";
                return kUsage;
            }
            if (a == "--articles") {
                options.articles = v;
                haveCount = true;
            } else if (a == "--seed") {
                options.seed = static_cast<uint64_t>(v);
            } else {
                options.averageBodyBytes = static_cast<uint32_t>(v);
            }
        } else if (a.rfind("--", 0) == 0 || !outBase.empty()) {
            return UsageError(err, "generate");
        } else {
            outBase = a;
        }
    }
    if (outBase.empty() || !haveCount)
        return UsageError(err, "generate");
    DataSourceWriter writer;
    DataSourceGenerator(options).generate(writer);
    if (const int status = WriteDataSource(writer, outBase, "generate", err); status != kOk)
        return status;
    return CountLine(out, "articles", static_cast<size_t>(options.articles));
}

namespace {
const CommandRegistration registration{
    {90, "generate", "génère une source de données réaliste",
     "Usage : tolvane-tool generate OUTBASE --articles N [--seed S]\n\n"
     "Écrit OUTBASE.PGH, .PGD, .PGL et .FIC : N articles de texte français\n"
     "avec mise en forme, liens (dont vers des notes) et un sommaire. Le résultat\n"
     "ne dépend que de N et de S (1 par défaut).\n",
     RunGenerate}};
} // namespace

} // namespace tolvane::tool
