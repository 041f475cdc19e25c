// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/startup/ReadingState.h"

#include <optional>
#include <string>

namespace tolvane {

class CMainFrame;

// Where the reader left the main window's data source, between runs: read
// once at start to give the window, its panes and the text size back (the
// start article stays the usual one), kept for the resume command, and
// written again when the window closes. The file lives in a folder of the
// user's configuration, named after the data source's absolute base; one
// that is missing, damaged or not the user's own is passed over in silence.
class ReadingPlace {
public:
    // folder: the configuration folder; the data source is the frame's.
    ReadingPlace(CMainFrame& frame, std::string folder);

    // Reads the file and applies what it holds, before the window is shown.
    void restore();
    // Writes the window's state and the article on screen with its top line.
    bool save() const;
    // The remembered article is one of the index.
    bool canResume() const;
    // Shows the remembered article at the line it was left at.
    void resume();

    const std::string& path() const { return m_path; }

private:
    CMainFrame& m_frame;
    std::string m_folder;
    std::string m_base;
    std::string m_path;
    // What the file held at start: the article for the resume command.
    int32_t m_article = 0;
    int32_t m_topPosition = 0;
};

} // namespace tolvane
