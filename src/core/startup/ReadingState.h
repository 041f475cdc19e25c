// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// Where the reader left a data source, kept between runs in a small file of
// the user's configuration folder: the article on screen and its top line,
// the window, both panes and the text size. The next start restores the
// window, panes and text size; the article waits for the resume command.
//
// The file is text, one field a line, each line ending in '\n':
//   tolvane-reading 1
//   base <absolute base of the data source, native>
//   article <number 1..> <top position 0..>
//   window <x> <y> <width> <height> <normal|maximized|fullscreen>
//   outline <shown 0|1> <width, ten-thousandths of the window's width>
//   notes <shown 0|1> <height in pixels>
//   zoom <text size in percent>
//   end
// Only the first two lines and "end" are required; each other line comes at
// most once, in any order. A file that breaks any rule (an unknown line, a
// number out of its range or not a number, a missing "end", more than
// kMaxFileSize bytes) counts as absent.
struct ReadingState {
    enum class WindowMode { Normal, Maximized, FullScreen };
    struct Pane {
        bool known = false;
        bool shown = false;
        int32_t size = 0;
    };

    std::string base;
    int32_t article = 0; // 0: none remembered
    int32_t topPosition = 0;
    bool hasWindow = false;
    int32_t x = 0, y = 0, width = 0, height = 0;
    WindowMode mode = WindowMode::Normal;
    Pane outline;
    Pane notes;
    int32_t zoomPercent = 0; // 0: none remembered

    static constexpr size_t kMaxFileSize = 16384;
    static constexpr int32_t kMaxCoordinate = 100000;
    static constexpr int32_t kOutlineScale = 10000;
    static constexpr int32_t kMaxZoomPercent = 1000;

    bool operator==(const ReadingState& o) const;
};

// The file's bytes for state.
std::string FormatReadingState(const ReadingState& state);
// The state the bytes hold; nothing when they break a rule.
std::optional<ReadingState> ParseReadingState(std::string_view bytes);

// The data-source base made absolute against the current folder, its folder
// resolved (links, "." and "..") when it exists; the name stays as given.
std::string AbsoluteBase(const std::string& base);
// The file's name in the configuration folder for an absolute base: a
// readable part of the base's name and a hash of the whole base.
std::string ReadingStateFileName(const std::string& absoluteBase);

// The state kept at path for absoluteBase: nothing when the file is absent,
// not a regular file of this user, damaged, or about another base.
std::optional<ReadingState> ReadReadingState(const std::string& path,
                                             const std::string& absoluteBase);
// Writes state to path in folder, making the folder (readable by the user
// only) when it is missing, and replacing the file whole or not at all,
// never through a link or another user's file. False when it could not.
bool WriteReadingState(const std::string& folder, const std::string& path,
                       const ReadingState& state);

} // namespace tolvane
