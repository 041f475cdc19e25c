// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/CTolvaneCommandLineInfo.h"

#include "core/startup/StartupSettings.h"

#include <climits>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

struct Settings {
    std::string dataSource;
    std::string userBase;
    std::string className = kDefaultClassName;
    std::string title;
    bool startArticle = false;
    int32_t startNumber = 0;
    bool closeRunning = false;

    // The expected values of a case, set call by call.
    Settings& article(int32_t number) {
        startArticle = true;
        startNumber = number;
        return *this;
    }
    Settings& source(const std::string& path, const std::string& name) {
        dataSource = path;
        className = name;
        return *this;
    }
    Settings& named(const std::string& text) {
        title = text;
        return *this;
    }
    Settings& notes(const std::string& base) {
        userBase = base;
        return *this;
    }
    Settings& closing() {
        closeRunning = true;
        return *this;
    }
};

Settings parsed(const std::vector<std::string>& tokens) {
    StartupSettings s;
    CTolvaneCommandLineInfo(s).ParseCommandLine(tokens);
    return {s.strDataSource, s.strUserBase,   s.strClassName, s.strTitleOverride,
            s.bStartArticle, s.nStartArticle, s.bCloseRunning};
}

TEST(CTolvaneCommandLineInfoTest, ParseParamFollowsItsTable) {
    struct Case {
        std::vector<std::string> tokens;
        Settings expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{"/P:125", "/D:C:\\AIDE\\GUIDE"},
         Settings().article(125).source("C:\\AIDE\\GUIDE", "CAIDEGUIDE")},
        {{"-n=Mon_aide"}, Settings().named("MON AIDE")},
        {{"/N:Aide_du_logiciel"}, Settings().named("AIDE DU LOGICIEL")},
        {{"/N"}, {}},
        {{"/F"}, Settings().closing()},
        {{"-f:whatever"}, Settings().closing()},
        {{"/D"}, Settings().source("", "AAAAAAAAAA")},
        {{"/Dx"}, Settings().source("", "AAAAAAAAAA")},
        {{"/p:12"}, Settings().article(12)},
        {{"-P=12"}, Settings().article(12)},
        {{"/P12"}, Settings().article(2)},
        {{"/P"}, Settings().article(0)},
        {{"/P:abc"}, Settings().article(0)},
        {{"/P:  -7x"}, Settings().article(-7)},
        {{"/P:+40"}, Settings().article(40)},
        {{"/P:99999999999"}, Settings().article(INT32_MAX)},
        {{"/P:-99999999999"}, Settings().article(INT32_MIN)},
        {{"/A:D:\\PERSO\\NOTES"}, Settings().notes("D:\\PERSO\\NOTES")},
        {{"GUIDE.PGD", "bonjour", "P:12", "D:X"}, {}},
        {{"/X:1", "/", "-", "/?", ""}, {}},
        {{"/P:1", "/D:A", "/N:Un", "/P:2", "/D:B", "/N:Deux", "/A:U", "/A:V"},
         Settings().article(2).source("B", "AAAAAAAAAB").named("DEUX").notes("V")},
        {{"/F", "/P:3", "/A:n", "/N:t", "/D:d"},
         Settings().closing().article(3).source("D", "AAAAAAAAAD").named("T").notes("N")},
        // Accented letters take their Windows-1252 capitals; the class name
        // keeps ASCII letters only (\xC0 is none).
        {{"/N:\xE9t\xE9_\x9C"
          "uvre_\xFF",
          "/d:/home/\xE0/guide"},
         Settings().source("/HOME/\xC0/GUIDE", "AHOMEGUIDE").named("\xC9T\xC9 \x8CUVRE \x9F")},
        // An absolute path is a plain word; with a letter and a colon it is a switch.
        {{"/home/ana/aide/guide"}, {}},
        {{"/D:/home/x/GUIDE"}, Settings().source("/HOME/X/GUIDE", "HOMEXGUIDE")},
        {{"-D=/home/x/guide"}, Settings().source("/HOME/X/GUIDE", "HOMEXGUIDE")},
        {{"/usr"}, {}}, // names an existing directory
        // A switch letter followed by a separator, a blank or a digit is a
        // switch whatever slashes follow; the second character is skipped.
        {{"/N_Aide/Guide"}, Settings().named("AIDE/GUIDE")},
        {{"-N_Aide/Guide"}, Settings().named("AIDE/GUIDE")},
        {{"/N Mon/titre"}, Settings().named("MON/TITRE")},
        {{"/P12/x"}, Settings().article(2)},
        {{"/a=/home/x/notes"}, Settings().notes("/HOME/X/NOTES")},
        {{"/f_/tmp/x"}, Settings().closing()},
        // Any other first folder of three characters or more makes a path.
        {{"/DIR/tmp/x", "/Nouveau/dossier", "/proc/self", "/dev/null"}, {}},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& t : c.tokens)
            line += t + " ";
        SCOPED_TRACE(line);
        const Settings got = parsed(c.tokens);
        const Settings& e = c.expected;
        EXPECT_EQ(got.dataSource, e.dataSource);
        EXPECT_EQ(got.userBase, e.userBase);
        EXPECT_EQ(got.className, e.className);
        EXPECT_EQ(got.title, e.title);
        EXPECT_EQ(got.startArticle, e.startArticle);
        EXPECT_EQ(got.startNumber, e.startNumber);
        EXPECT_EQ(got.closeRunning, e.closeRunning);
    }
}

TEST(CTolvaneCommandLineInfoTest, OnlyFlaggedTokensCount) {
    StartupSettings s;
    CTolvaneCommandLineInfo info(s);
    info.ParseParam("P:5", false, false);
    info.ParseParam("D:X", false, true);
    info.ParseParam(nullptr, true, true);
    info.ParseParam("", true, true);
    EXPECT_FALSE(s.bStartArticle);
    EXPECT_EQ(s.strDataSource, "");
    info.ParseParam("p:5", true, false);
    EXPECT_TRUE(s.bStartArticle);
    EXPECT_EQ(s.nStartArticle, 5);
}

TEST(CTolvaneCommandLineInfoTest, AbsolutePathTokens) {
    struct Case {
        const char* token;
        bool path;
    };
    const Case cases[] = {
        {"/home/ana/aide/guide", true},
        {"/tmp", true},
        {"/D:/home/x/GUIDE", false},
        {"/d=/home/x", false},
        {"/P12", false},
        {"/ab/c", false},
        {"/F", false},
        {"/N:Aide/Suite", false},
        {"/N_Aide/Guide", false},
        {"/n_aide/guide", false},
        {"/N Mon/titre", false},
        {"/P12/x", false},
        {"/D0/tmp", false},
        {"/A=/usr/share", false},
        {"/F\t/x/y", false},
        {"/DIR/tmp/x", true},
        {"/Nouveau/dossier", true},
        {"/pas/la", true},
        {"/proc/self", true},
        {"/dev/null", true},
        {"/dev", true},
        {"/usr/share/absent", true},
        {"/usr_x/y", true},
        {"/Z9/abc", false},
        {"/Zzz/abc", true},
        {"-home/x/y", false},
        {"/", false},
        {"", false},
        {"home/x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CTolvaneCommandLineInfo::IsAbsolutePathToken(c.token), c.path) << c.token;
}

} // namespace
} // namespace tolvane
