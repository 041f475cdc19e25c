// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tolvane {

// The command identifiers of the menus, the toolbar and the accelerators.
namespace cmd {
constexpr int Home = 32774;
constexpr int Back = 32773;
constexpr int History = 32775;
constexpr int SelectAll = 32787;
constexpr int Sync = 32788;
constexpr int AddBookmark = 32789;
constexpr int Bookmarks = 32790;
constexpr int Find = 32791;
constexpr int Results = 32792;
constexpr int Annotation = 32793;
constexpr int AnnotationPresent = 32795; // lends its image to Annotation only
constexpr int Forward = 32810;
constexpr int Resume = 32811;
constexpr int Index = 32812;
constexpr int Print = 57607;
constexpr int PrintPreview = 57609;
constexpr int NextHit = 57640; // the framework's "repeat the find"
constexpr int PreviousHit = 32850;
constexpr int Copy = 57634;
constexpr int About = 57664;
constexpr int Quit = 57665;
constexpr int ToolBar = 59392;
constexpr int StatusBar = 59393;
} // namespace cmd

// The texts of a command: the status-bar prompt, the tooltip (empty when
// the command has none) and the toolbar image in the resources.
struct CommandTexts {
    int id = 0;
    QString prompt;
    QString tooltip;
    QString icon;
};

// The texts of id; an empty entry for a command without texts.
CommandTexts FindCommandTexts(int id);

// The toolbar from left to right; 0 is a separator. The last button only
// lends its image to the Annotation button and is removed once read.
inline constexpr int kToolbarButtons[] = {cmd::Home,
                                          0,
                                          cmd::Copy,
                                          0,
                                          cmd::Back,
                                          cmd::Forward,
                                          cmd::History,
                                          0,
                                          cmd::Sync,
                                          0,
                                          cmd::AddBookmark,
                                          cmd::Bookmarks,
                                          0,
                                          cmd::Find,
                                          cmd::Results,
                                          0,
                                          cmd::Annotation,
                                          0,
                                          cmd::About,
                                          cmd::AnnotationPresent};

} // namespace tolvane
