// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/DataSourceWriter.h"
#include "core/common/Cp1252.h"
#include "core/startup/DataSourceLocation.h"
#include "core/startup/PerUserFolder.h"
#include "core/startup/StartupRules.h"
#include "core/startup/StartupSettings.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

using test::TempDir;

// Sets an environment variable for one scope (null unsets it).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had)
            ::setenv(m_name, m_old.c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

std::string upper(const std::string& native) {
    return cp1252::toUpper(cp1252::fromUtf8(native));
}

void writeGuide(const std::string& base) {
    DataSourceWriter w;
    w.addArticle(1, "Accueil", "{\\rtf1 x}");
    ASSERT_TRUE(w.write(base));
}

TEST(InstalledGuideTest, InstalledDataDirectory_IsShareBesideBin) {
    // An executable's path and the folder of its data.
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/tolvane", "/usr/share/tolvane/"},
        {"/opt/t/bin/tolvane", "/opt/t/share/tolvane/"},
        {"/usr/./bin//tolvane", "/usr/share/tolvane/"},
        {"/tolvane", "/share/tolvane/"},
        // Without an absolute path there is nothing to go up from.
        {"tolvane", ""},
        {"bin/tolvane", ""}};
    for (const auto& [exe, data] : cases)
        EXPECT_EQ(InstalledDataDirectory(exe), data) << exe;
}

TEST(InstalledGuideTest, BareStartFallsBackToTheInstalledGuideWithTheUsersOwnNotes) {
    TempDir prefix;
    ::mkdir(prefix.file("bin").c_str(), 0755);
    ::mkdir(prefix.file("share").c_str(), 0755);
    ::mkdir(prefix.file("share/tolvane").c_str(), 0755);
    writeGuide(prefix.file("share/tolvane/Guide"));
    const std::string exe = prefix.file("bin/tolvane");
    const std::string installed = upper(prefix.path()) + "/SHARE/TOLVANE/GUIDE";
    TempDir home;
    const std::string dataHome = home.file("données");
    ScopedEnv xdg("XDG_DATA_HOME", dataHome.c_str());

    StartupOutcome outcome = ApplyStartupRules({"/P:3"}, exe);
    EXPECT_FALSE(outcome.dataSourceMissing);
    EXPECT_EQ(outcome.settings.strDataSource, installed);
    EXPECT_EQ(outcome.settings.strUserBase, upper(dataHome) + "/TOLVANE/GUIDE");
    EXPECT_EQ(outcome.settings.strClassName, kDefaultClassName);
    EXPECT_EQ(outcome.settings.nStartArticle, 3);
    struct stat st {};
    ASSERT_EQ(::stat((dataHome + "/tolvane").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // /A still decides where the notes go.
    outcome = ApplyStartupRules({"/A:/perso/notes"}, exe);
    EXPECT_EQ(outcome.settings.strDataSource, installed);
    EXPECT_EQ(outcome.settings.strUserBase, "/PERSO/NOTES");

    // A data source named with /D keeps its notes beside it.
    TempDir other;
    writeGuide(other.file("aide"));
    outcome = ApplyStartupRules({"/D:" + other.file("aide")}, exe);
    EXPECT_EQ(outcome.settings.strUserBase, upper(other.file("aide")));

    // One beside the executable comes first, with its notes beside it.
    writeGuide(prefix.file("bin/local"));
    outcome = ApplyStartupRules({}, exe);
    EXPECT_EQ(outcome.settings.strDataSource, upper(prefix.path()) + "/BIN/LOCAL");
    EXPECT_EQ(outcome.settings.strUserBase, outcome.settings.strDataSource);
}

TEST(InstalledGuideTest, WithoutAUserFolderTheNotesStayBesideTheGuide) {
    TempDir prefix;
    ::mkdir(prefix.file("share").c_str(), 0755);
    ::mkdir(prefix.file("share/tolvane").c_str(), 0755);
    writeGuide(prefix.file("share/tolvane/GUIDE"));
    const std::string installed = upper(prefix.path()) + "/SHARE/TOLVANE/GUIDE";
    {
        ScopedEnv xdg("XDG_DATA_HOME", nullptr);
        ScopedEnv home("HOME", nullptr);
        const StartupOutcome outcome = ApplyStartupRules({}, prefix.file("bin/tolvane"));
        EXPECT_EQ(outcome.settings.strDataSource, installed);
        EXPECT_EQ(outcome.settings.strUserBase, installed);
    }
    {
        // A folder that cannot be made (a file stands in the way).
        TempDir home;
        TempDir::writeFile(home.file("xdg"), "");
        ScopedEnv xdg("XDG_DATA_HOME", home.file("xdg").c_str());
        const StartupOutcome outcome = ApplyStartupRules({}, prefix.file("bin/tolvane"));
        EXPECT_EQ(outcome.settings.strUserBase, installed);
    }
}

TEST(InstalledGuideTest, PerUserFolder_FollowsTheBaseDirectoryRules) {
    EXPECT_EQ(PerUserFolder("/x/data", "/home/ana"), "/x/data/tolvane");
    EXPECT_EQ(PerUserFolder("", "/home/ana"), "/home/ana/.local/share/tolvane");
    EXPECT_EQ(PerUserFolder("relatif", "/home/ana"), "/home/ana/.local/share/tolvane");
    EXPECT_EQ(PerUserFolder(nullptr, "/home/ana"), "/home/ana/.local/share/tolvane");
    EXPECT_EQ(PerUserFolder(nullptr, nullptr), "");
    EXPECT_EQ(PerUserFolder(nullptr, "relatif"), "");

    TempDir dir;
    EXPECT_TRUE(MakePerUserFolder(dir.file("a/b/tolvane")));
    EXPECT_TRUE(MakePerUserFolder(dir.file("a/b/tolvane"))); // already there
    TempDir::writeFile(dir.file("f"), "");
    EXPECT_FALSE(MakePerUserFolder(dir.file("f")));
    EXPECT_FALSE(MakePerUserFolder(dir.file("f/tolvane")));
    EXPECT_FALSE(MakePerUserFolder("relatif/tolvane"));
    EXPECT_FALSE(MakePerUserFolder(""));
}

} // namespace
} // namespace tolvane
