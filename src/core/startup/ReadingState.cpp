// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/ReadingState.h"

#include "core/common/AtomicFile.h"
#include "core/common/DecimalText.h"
#include "core/common/InputFile.h"
#include "core/common/PathResolver.h"
#include "core/common/UserFileSafety.h"
#include "core/startup/PerUserFolder.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace tolvane {

namespace {

constexpr std::string_view kHeader = "tolvane-reading 1";
constexpr std::string_view kEnd = "end";

constexpr std::array<std::pair<ReadingState::WindowMode, std::string_view>, 3> kModes = {{
    {ReadingState::WindowMode::Normal, "normal"},
    {ReadingState::WindowMode::Maximized, "maximized"},
    {ReadingState::WindowMode::FullScreen, "fullscreen"},
}};

// The blank-separated words of a line.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t at = 0;
    while (at < line.size()) {
        const size_t blank = line.find(' ', at);
        const size_t end = blank == std::string_view::npos ? line.size() : blank;
        out.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

// A number of the one spelling in [low, high].
std::optional<int32_t> number(std::string_view text, int32_t low, int32_t high) {
    const std::optional<int32_t> value = ParseDecimal(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

bool pane(const std::vector<std::string_view>& w, int32_t high, ReadingState::Pane& out) {
    if (w.size() != 3)
        return false;
    const auto shown = number(w[1], 0, 1);
    const auto size = number(w[2], 0, high);
    if (!shown || !size)
        return false;
    out = ReadingState::Pane{true, *shown == 1, *size};
    return true;
}

bool window(const std::vector<std::string_view>& w, ReadingState& s) {
    constexpr int32_t kMax = ReadingState::kMaxCoordinate;
    if (w.size() != 6)
        return false;
    const auto x = number(w[1], -kMax, kMax);
    const auto y = number(w[2], -kMax, kMax);
    const auto width = number(w[3], 1, kMax);
    const auto height = number(w[4], 1, kMax);
    if (!x || !y || !width || !height)
        return false;
    for (const auto& [mode, name] : kModes) {
        if (w[5] == name) {
            s.hasWindow = true;
            s.x = *x, s.y = *y, s.width = *width, s.height = *height;
            s.mode = mode;
            return true;
        }
    }
    return false;
}

// One field line into s; false when it breaks a rule.
bool field(const std::vector<std::string_view>& w, ReadingState& s) {
    const std::string_view key = w[0];
    if (key == "article") {
        const auto article = w.size() == 3 ? number(w[1], 1, INT32_MAX) : std::nullopt;
        const auto top = w.size() == 3 ? number(w[2], 0, INT32_MAX) : std::nullopt;
        if (!article || !top)
            return false;
        s.article = *article;
        s.topPosition = *top;
        return true;
    }
    if (key == "window")
        return window(w, s);
    if (key == "outline")
        return pane(w, ReadingState::kOutlineScale, s.outline);
    if (key == "notes")
        return pane(w, ReadingState::kMaxCoordinate, s.notes);
    if (key == "zoom") {
        const auto zoom =
            w.size() == 2 ? number(w[1], 1, ReadingState::kMaxZoomPercent) : std::nullopt;
        if (!zoom)
            return false;
        s.zoomPercent = *zoom;
        return true;
    }
    return false;
}

std::string paneLine(const char* key, const ReadingState::Pane& p) {
    return std::string(key) + ' ' + (p.shown ? '1' : '0') + ' ' + std::to_string(p.size) + '\n';
}

uint64_t fnv1a(std::string_view text) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

bool ReadingState::operator==(const ReadingState& o) const {
    const auto same = [](const Pane& a, const Pane& b) {
        return a.known == b.known && a.shown == b.shown && a.size == b.size;
    };
    return base == o.base && article == o.article && topPosition == o.topPosition &&
           hasWindow == o.hasWindow && x == o.x && y == o.y && width == o.width &&
           height == o.height && mode == o.mode && same(outline, o.outline) &&
           same(notes, o.notes) && zoomPercent == o.zoomPercent;
}

std::string FormatReadingState(const ReadingState& s) {
    std::string out(kHeader);
    out += "\nbase " + s.base + '\n';
    if (s.article > 0)
        out += "article " + std::to_string(s.article) + ' ' + std::to_string(s.topPosition) + '\n';
    if (s.hasWindow) {
        out += "window " + std::to_string(s.x) + ' ' + std::to_string(s.y) + ' ' +
               std::to_string(s.width) + ' ' + std::to_string(s.height) + ' ';
        for (const auto& [mode, name] : kModes) {
            if (mode == s.mode)
                out += name;
        }
        out += '\n';
    }
    if (s.outline.known)
        out += paneLine("outline", s.outline);
    if (s.notes.known)
        out += paneLine("notes", s.notes);
    if (s.zoomPercent > 0)
        out += "zoom " + std::to_string(s.zoomPercent) + '\n';
    out += std::string(kEnd) + '\n';
    return out;
}

std::optional<ReadingState> ParseReadingState(std::string_view bytes) {
    if (bytes.size() > ReadingState::kMaxFileSize || bytes.empty() || bytes.back() != '\n')
        return std::nullopt;
    std::vector<std::string_view> lines;
    for (size_t at = 0; at < bytes.size();) {
        const size_t end = bytes.find('\n', at);
        lines.push_back(bytes.substr(at, end - at));
        at = end + 1;
    }
    if (lines.size() < 3 || lines.front() != kHeader || lines.back() != kEnd)
        return std::nullopt;
    constexpr std::string_view kBase = "base ";
    if (lines[1].substr(0, kBase.size()) != kBase || lines[1].size() == kBase.size())
        return std::nullopt;
    ReadingState state;
    state.base = std::string(lines[1].substr(kBase.size()));
    std::vector<std::string_view> seen;
    for (size_t i = 2; i + 1 < lines.size(); ++i) {
        const std::vector<std::string_view> w = words(lines[i]);
        if (w.empty())
            return std::nullopt;
        for (std::string_view key : seen) {
            if (key == w[0])
                return std::nullopt;
        }
        seen.push_back(w[0]);
        if (!field(w, state))
            return std::nullopt;
    }
    return state;
}

std::string AbsoluteBase(const std::string& base) {
    std::string absolute = base;
    if (absolute.empty() || absolute[0] != '/') {
        std::array<char, PATH_MAX> cwd{};
        if (::getcwd(cwd.data(), cwd.size()) == nullptr)
            return absolute;
        absolute = std::string(cwd.data()) + '/' + absolute;
    }
    const std::string dir = PathResolver::directoryOf(absolute);
    std::array<char, PATH_MAX> real{};
    if (::realpath(dir.c_str(), real.data()) == nullptr)
        return absolute;
    std::string folder(real.data());
    if (folder.back() != '/')
        folder += '/';
    return folder + PathResolver::fileNameOf(absolute);
}

std::string ReadingStateFileName(const std::string& absoluteBase) {
    std::string name;
    for (char c : PathResolver::fileNameOf(absoluteBase).substr(0, 40)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    static const char kHex[] = "0123456789abcdef";
    uint64_t hash = fnv1a(absoluteBase);
    std::string hex(16, '0');
    for (size_t i = hex.size(); i-- > 0; hash >>= 4)
        hex[i] = kHex[hash & 15];
    return name + '-' + hex + ".reading";
}

std::optional<ReadingState> ReadReadingState(const std::string& path,
                                             const std::string& absoluteBase) {
    int error = 0;
    InputFile file;
    if (!file.adopt(UserFileSafety::openOwn(path, O_RDONLY, 0, error)) ||
        file.size() > ReadingState::kMaxFileSize)
        return std::nullopt;
    std::string bytes(size_t(file.size()), '\0');
    if (file.readAt(0, bytes.data(), bytes.size()) != bytes.size())
        return std::nullopt;
    std::optional<ReadingState> state = ParseReadingState(bytes);
    if (!state || state->base != absoluteBase)
        return std::nullopt;
    return state;
}

bool WriteReadingState(const std::string& folder, const std::string& path,
                       const ReadingState& state) {
    if (!MakePerUserFolder(folder))
        return false;
    return AtomicFile::write(path, FormatReadingState(state), nullptr, nullptr,
                             AtomicFile::Target::OwnRegularOrNone);
}

} // namespace tolvane
