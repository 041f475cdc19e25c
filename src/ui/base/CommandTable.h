// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tolvane {

// The command identifiers of the menus, the toolbar and the accelerators.
namespace cmd {
constexpr int kHome = 32774;
constexpr int kBack = 32773;
constexpr int kHistory = 32775;
constexpr int kSelectAll = 32787;
constexpr int kSync = 32788;
constexpr int kAddBookmark = 32789;
constexpr int kBookmarks = 32790;
constexpr int kFind = 32791;
constexpr int kResults = 32792;
constexpr int kAnnotation = 32793;
constexpr int kAnnotationPresent = 32795; // lends its image to Annotation only
constexpr int kForward = 32810;
constexpr int kResume = 32811;
constexpr int kIndex = 32812;
constexpr int kPrint = 57607;
constexpr int kPrintPreview = 57609;
constexpr int kNextHit = 57640; // the framework's "repeat the find"
constexpr int kPreviousHit = 32850;
constexpr int kCopy = 57634;
constexpr int kAbout = 57664;
constexpr int kQuit = 57665;
constexpr int kToolBar = 59392;
constexpr int kStatusBar = 59393;
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
CommandTexts findCommandTexts(int id);

// The toolbar from left to right; 0 is a separator. The last button only
// lends its image to the Annotation button and is removed once read.
inline constexpr int kToolbarButtons[] = {cmd::kHome,
                                          0,
                                          cmd::kCopy,
                                          0,
                                          cmd::kBack,
                                          cmd::kForward,
                                          cmd::kHistory,
                                          0,
                                          cmd::kSync,
                                          0,
                                          cmd::kAddBookmark,
                                          cmd::kBookmarks,
                                          0,
                                          cmd::kFind,
                                          cmd::kResults,
                                          0,
                                          cmd::kAnnotation,
                                          0,
                                          cmd::kAbout,
                                          cmd::kAnnotationPresent};

} // namespace tolvane
