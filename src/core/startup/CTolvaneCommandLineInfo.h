// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/startup/StartupSettings.h"

#include <string>
#include <vector>

namespace tolvane {

// The command-line grammar. Tokens arrive already split (argv); a token that
// begins with '/' or '-' is a switch and reaches ParseParam without that
// character and with bFlag set, every other token with bFlag clear.
//
// On Linux an absolute path also begins with '/'. A token whose letter is a
// switch letter (P D A F N, either case) followed by ':', '=', '_', a blank
// or a digit is always a switch ("/D:/home/ana/aide", "/N_Aide/Guide",
// "/P12/x"). Any other token is a plain word, not a switch, when its first
// component is at least three characters long and holds neither ':' nor '='
// ("/home/ana/aide", "/DIR/tmp/x"), or when it names an existing file or
// directory ("/usr").
class CTolvaneCommandLineInfo {
public:
    // The tokens are applied to settings.
    explicit CTolvaneCommandLineInfo(StartupSettings& settings) : m_settings(settings) {}

    // Applies one token to the start-up settings. Switch letters P D A F N
    // are tested independently on the upper-cased token; the second
    // character is always skipped; later switches overwrite earlier ones.
    void ParseParam(const char* pszParam, bool bFlag, bool bLast);

    // Feeds every token (Windows-1252 text) to ParseParam in order.
    void ParseCommandLine(const std::vector<std::string>& tokens);

    // Whether a token starting with '/' is an absolute path rather than a
    // switch (rule above). nativeToken is the token as the system gave it.
    static bool IsAbsolutePathToken(const std::string& token);

    // atoi's rule: leading blanks, an optional sign, digits up to the first
    // non-digit; no digits give 0; values beyond 32 bits saturate.
    static int32_t LeadingNumber(const std::string& text);

private:
    StartupSettings& m_settings;
};

} // namespace tolvane
