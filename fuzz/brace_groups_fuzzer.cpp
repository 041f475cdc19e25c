#include "core/search/SearchEngine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The cleaning written step by step on whole strings, as the oracle of the
// scanning version.
std::string stepByStep(std::string s) {
    std::string r;
    size_t p = s.find(" {");
    if (p == std::string::npos)
        return s;
    while (p != std::string::npos && p > 0) {
        r += s.substr(0, p);
        s.erase(0, std::min(s.size(), p + 8));
        const size_t e = s.find("} ");
        s.erase(0, e == std::string::npos ? s.size() : std::min(s.size(), e + 3));
        p = s.find(" {");
    }
    return r + s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string cleaned = input;
    tolvane::StripBraceGroups(cleaned);
    if (cleaned != stepByStep(input) || cleaned.size() > input.size())
        std::abort();
    return 0;
}
