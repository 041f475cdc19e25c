// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/CTolvaneCommandLineInfo.h"

#include "core/common/Cp1252.h"
#include "core/startup/DataSourceLocation.h"

#include <climits>
#include <sys/stat.h>

namespace tolvane {

int32_t CTolvaneCommandLineInfo::LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        value = INT32_MAX;
    return static_cast<int32_t>(value);
}

void CTolvaneCommandLineInfo::ParseParam(const char* pszParam, bool bFlag, bool /*bLast*/) {
    if (!bFlag || !pszParam)
        return;
    const std::string copy = cp1252::toUpper(pszParam);
    if (copy.empty())
        return;
    const char c = copy[0];
    const std::string v = copy.size() >= 3 ? copy.substr(2) : std::string();
    if (c == 'P') {
        m_settings.nStartArticle = LeadingNumber(v);
        m_settings.bStartArticle = true;
    }
    if (c == 'D') {
        m_settings.strDataSource = v;
        m_settings.strClassName = MakeInstanceClassName(v);
    }
    if (c == 'A')
        m_settings.strUserBase = v;
    if (c == 'F')
        m_settings.bCloseRunning = true;
    if (c == 'N') {
        std::string title = v;
        for (char& ch : title) {
            if (ch == '_')
                ch = ' ';
        }
        m_settings.strTitleOverride = title;
    }
}

bool CTolvaneCommandLineInfo::IsAbsolutePathToken(const std::string& token) {
    if (token.size() < 2 || token[0] != '/')
        return false;
    // A switch letter and what may stand between it and the value.
    if (token.size() >= 3 && std::string("PDAFNpdafn").find(token[1]) != std::string::npos) {
        const char second = token[2];
        if (second == ':' || second == '=' || second == '_' || second == ' ' || second == '\t' ||
            (second >= '0' && second <= '9'))
            return false;
    }
    const size_t next = token.find('/', 1);
    if (next != std::string::npos) {
        const std::string first = token.substr(1, next - 1);
        if (first.size() >= 3 && first.find(':') == std::string::npos &&
            first.find('=') == std::string::npos)
            return true;
    }
    struct stat st {};
    return ::stat(cp1252::toUtf8(token).c_str(), &st) == 0;
}

void CTolvaneCommandLineInfo::ParseCommandLine(const std::vector<std::string>& tokens) {
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        const bool last = i + 1 == tokens.size();
        const bool isSwitch = !t.empty() && (t[0] == '/' || t[0] == '-') && !IsAbsolutePathToken(t);
        if (isSwitch)
            ParseParam(t.c_str() + 1, true, last);
        else
            ParseParam(t.c_str(), false, last);
    }
}

} // namespace tolvane
