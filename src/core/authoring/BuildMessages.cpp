// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/authoring/BuildMessages.h"

namespace tolvane::authoring {

std::string BuildMessage::format() const {
    std::string out = file;
    if (line > 0)
        out += ":" + std::to_string(line);
    out += severity == Severity::Error ? ": erreur : " : ": avertissement : ";
    return out + text;
}

size_t BuildMessages::errorCount() const {
    size_t n = 0;
    for (const BuildMessage& m : m_list)
        n += m.severity == BuildMessage::Severity::Error;
    return n;
}

} // namespace tolvane::authoring
