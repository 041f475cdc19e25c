// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary command lines to the start-up parser: the input is split
// into tokens at NUL bytes.

#include "core/startup/CTolvaneCommandLineInfo.h"
#include "core/startup/DataSourceLocation.h"
#include "core/startup/StartupSettings.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    std::vector<std::string> tokens(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            tokens.emplace_back();
        else
            tokens.back() += static_cast<char>(data[i]);
    }

    StartupSettings settings;
    CTolvaneCommandLineInfo(settings).ParseCommandLine(tokens);

    const std::string title = WindowTitle(settings);
    if (title.empty())
        std::abort();
    for (const std::string& value :
         {settings.strDataSource, settings.strUserBase, settings.strTitleOverride}) {
        const std::string name = MakeInstanceClassName(value);
        if (name.size() != 10)
            std::abort();
    }
    if (settings.strClassName.size() != 10 && settings.strClassName != kDefaultClassName)
        std::abort();
    for (const std::string& t : tokens)
        CTolvaneCommandLineInfo::LeadingNumber(t);
    return 0;
}
