// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/ReadingState.h"

#include "core/startup/PerUserFolder.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace tolvane;
using tolvane::test::TempDir;

namespace {

ReadingState fullState() {
    ReadingState s;
    s.base = "/usr/share/tolvane/GUIDE";
    s.article = 12;
    s.topPosition = 3456;
    s.hasWindow = true;
    s.x = -40, s.y = 25, s.width = 1000, s.height = 720;
    s.mode = ReadingState::WindowMode::Maximized;
    s.outline = {true, false, 2500};
    s.notes = {true, true, 120};
    s.zoomPercent = 125;
    return s;
}

const std::string kValid = "tolvane-reading 1\nbase /d/GUIDE\narticle 7 0\nzoom 90\nend\n";

} // namespace

TEST(ReadingStateTest, FormatThenParseGivesTheSameState) {
    ReadingState bare;
    bare.base = "/d/Aide en ligne/GUIDE";
    ReadingState fullScreen = fullState();
    fullScreen.mode = ReadingState::WindowMode::FullScreen;
    fullScreen.article = 2147483647;
    fullScreen.topPosition = 2147483647;
    for (const ReadingState& s : {fullState(), bare, fullScreen}) {
        const std::optional<ReadingState> back = ParseReadingState(FormatReadingState(s));
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, s);
    }
    EXPECT_EQ(FormatReadingState(fullState()), "tolvane-reading 1\n"
                                               "base /usr/share/tolvane/GUIDE\n"
                                               "article 12 3456\n"
                                               "window -40 25 1000 720 maximized\n"
                                               "outline 0 2500\n"
                                               "notes 1 120\n"
                                               "zoom 125\n"
                                               "end\n");
}

TEST(ReadingStateTest, DamagedFilesCountAsAbsent) {
    ASSERT_TRUE(ParseReadingState(kValid));
    const std::string head = "tolvane-reading 1\nbase /d/GUIDE\n";
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"another version", "tolvane-reading 2\nbase /d/GUIDE\nend\n"},
        {"no base", "tolvane-reading 1\narticle 7 0\nend\n"},
        {"empty base", "tolvane-reading 1\nbase \nend\n"},
        {"no end line", head + "article 7 0\n"},
        {"end without its line break", head + "end"},
        {"Windows line breaks", "tolvane-reading 1\r\nbase /d/GUIDE\r\nend\r\n"},
        {"a blank line", head + "\nend\n"},
        {"an unknown line", head + "couleur 3\nend\n"},
        {"a line twice", head + "zoom 90\nzoom 110\nend\n"},
        {"article 0", head + "article 0 0\nend\n"},
        {"article past 32 bits", head + "article 2147483648 0\nend\n"},
        {"article of eleven digits", head + "article 99999999999 0\nend\n"},
        {"negative top", head + "article 7 -1\nend\n"},
        {"article as a word", head + "article douze 0\nend\n"},
        {"article without top", head + "article 7\nend\n"},
        {"two blanks", head + "article 7  0\nend\n"},
        {"zoom as a fraction", head + "zoom 1.5\nend\n"},
        {"a leading zero", head + "zoom 090\nend\n"},
        {"minus zero", head + "window -0 0 800 600 normal\nend\n"},
        {"zoom 0", head + "zoom 0\nend\n"},
        {"zoom too large", head + "zoom 1001\nend\n"},
        {"zoom with a sign only", head + "zoom -\nend\n"},
        {"window of zero width", head + "window 0 0 0 720 normal\nend\n"},
        {"window far away", head + "window 100001 0 800 600 normal\nend\n"},
        {"window of an unknown mode", head + "window 0 0 800 600 agrandie\nend\n"},
        {"window short of a field", head + "window 0 0 800 600\nend\n"},
        {"pane shown 2", head + "outline 2 2500\nend\n"},
        {"outline past the whole width", head + "outline 1 10001\nend\n"},
        {"pane of a negative height", head + "notes 1 -5\nend\n"},
        {"pane with one field", head + "notes 1\nend\n"},
        {"a NUL inside a number", head + std::string("zoom 9\0"
                                                     "0\nend\n",
                                                     13)},
        {"lines after the end", head + "end\nzoom 90\nend\n"},
        {"larger than the cap",
         head + "base " + std::string(ReadingState::kMaxFileSize, 'x') + "\nend\n"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(ParseReadingState(c.bytes)) << c.what;
    // Cut anywhere, a valid file is refused.
    const std::string whole = FormatReadingState(fullState());
    for (size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(ParseReadingState(whole.substr(0, n))) << "cut at " << n;
}

TEST(ReadingStateTest, FilesOnDiskAreReadOnlyWhenWholeOwnAndAboutTheSameBase) {
    TempDir dir;
    const std::string folder = dir.file("config/tolvane");
    // The bundled guide as the viewer is started on it, by a relative path.
    const std::string guide = std::string(TOLVANE_BINARY_DIR) + "/GUIDE";
    char* before = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(TOLVANE_BINARY_DIR), 0);
    const std::string absolute = AbsoluteBase("GUIDE");
    EXPECT_EQ(::chdir(before), 0);
    ::free(before);
    EXPECT_EQ(absolute, AbsoluteBase(guide));
    EXPECT_EQ(absolute, AbsoluteBase(std::string(TOLVANE_BINARY_DIR) + "/./tests/../GUIDE"));
    const std::string name = ReadingStateFileName(absolute);
    EXPECT_EQ(name.substr(0, 6), "GUIDE-");
    EXPECT_NE(name, ReadingStateFileName(absolute + "2"));
    EXPECT_EQ(ReadingStateFileName("/d/Mon aide/é.x").substr(0, 5), "___x-");
    const std::string path = folder + "/" + name;

    ReadingState s = fullState();
    s.base = absolute;
    EXPECT_FALSE(ReadReadingState(path, absolute)); // nothing kept yet
    ASSERT_TRUE(WriteReadingState(folder, path, s));
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    const std::optional<ReadingState> back = ReadReadingState(path, absolute);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, s);
    // A file about another data source (a hash that met) is not this one's.
    EXPECT_FALSE(ReadReadingState(path, absolute + "2"));

    // A link to a good file is not followed.
    const std::string link = folder + "/link.reading";
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    EXPECT_FALSE(ReadReadingState(link, absolute));
    EXPECT_FALSE(WriteReadingState(folder, link, s));
    // A folder in place of the file: neither read nor replaced.
    const std::string blocked = folder + "/blocked.reading";
    ASSERT_EQ(::mkdir(blocked.c_str(), 0700), 0);
    EXPECT_FALSE(ReadReadingState(blocked, absolute));
    EXPECT_FALSE(WriteReadingState(folder, blocked, s));
    ASSERT_EQ(::stat(blocked.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    // A configuration folder that cannot be made (a file in the way).
    TempDir::writeFile(dir.file("plain"), "");
    EXPECT_FALSE(WriteReadingState(dir.file("plain/tolvane"), dir.file("plain/tolvane/x"), s));
    // A file grown past the cap is not read at all.
    TempDir::writeFile(path, FormatReadingState(s) + std::string(ReadingState::kMaxFileSize, '\n'));
    EXPECT_FALSE(ReadReadingState(path, absolute));

    EXPECT_EQ(ConfigFolder("/x/config", "/home/ana"), "/x/config/tolvane");
    EXPECT_EQ(ConfigFolder("relatif", "/home/ana"), "/home/ana/.config/tolvane");
    EXPECT_EQ(ConfigFolder(nullptr, nullptr), "");
}
