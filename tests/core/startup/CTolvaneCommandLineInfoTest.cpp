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
};

Settings parsed(const std::vector<std::string>& tokens) {
    StartupSettings s;
    CTolvaneCommandLineInfo(s).ParseCommandLine(tokens);
    return {s.strDataSource, s.strUserBase,   s.strClassName, s.strTitleOverride,
            s.bStartArticle, s.nStartArticle, s.bCloseRunning};
}

Settings with(void (*change)(Settings&)) {
    Settings s;
    change(s);
    return s;
}

TEST(CTolvaneCommandLineInfoTest, ParseParamFollowsItsTable) {
    struct Case {
        std::vector<std::string> tokens;
        Settings expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{"/P:125", "/D:C:\\AIDE\\GUIDE"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = 125;
             s.dataSource = "C:\\AIDE\\GUIDE";
             s.className = "CAIDEGUIDE";
         })},
        {{"-n=Mon_aide"}, with([](Settings& s) { s.title = "MON AIDE"; })},
        {{"/N:Aide_du_logiciel"}, with([](Settings& s) { s.title = "AIDE DU LOGICIEL"; })},
        {{"/N"}, {}},
        {{"/F"}, with([](Settings& s) { s.closeRunning = true; })},
        {{"-f:whatever"}, with([](Settings& s) { s.closeRunning = true; })},
        {{"/D"}, with([](Settings& s) { s.className = "AAAAAAAAAA"; })},
        {{"/Dx"}, with([](Settings& s) { s.className = "AAAAAAAAAA"; })},
        {{"/p:12"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = 12;
         })},
        {{"-P=12"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = 12;
         })},
        {{"/P12"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = 2;
         })},
        {{"/P"}, with([](Settings& s) { s.startArticle = true; })},
        {{"/P:abc"}, with([](Settings& s) { s.startArticle = true; })},
        {{"/P:  -7x"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = -7;
         })},
        {{"/P:+40"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = 40;
         })},
        {{"/P:99999999999"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = INT32_MAX;
         })},
        {{"/P:-99999999999"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = INT32_MIN;
         })},
        {{"/A:D:\\PERSO\\NOTES"}, with([](Settings& s) { s.userBase = "D:\\PERSO\\NOTES"; })},
        {{"GUIDE.PGD", "bonjour", "P:12", "D:X"}, {}},
        {{"/X:1", "/", "-", "/?", ""}, {}},
        {{"/P:1", "/D:A", "/N:Un", "/P:2", "/D:B", "/N:Deux", "/A:U", "/A:V"},
         with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = 2;
             s.dataSource = "B";
             s.className = "AAAAAAAAAB";
             s.title = "DEUX";
             s.userBase = "V";
         })},
        {{"/F", "/P:3", "/A:n", "/N:t", "/D:d"}, with([](Settings& s) {
             s.closeRunning = true;
             s.startArticle = true;
             s.startNumber = 3;
             s.userBase = "N";
             s.title = "T";
             s.dataSource = "D";
             s.className = "AAAAAAAAAD";
         })},
        // Accented letters take their Windows-1252 capitals.
        {{"/N:\xE9t\xE9_\x9C"
          "uvre_\xFF",
          "/d:/home/\xE0/guide"},
         with([](Settings& s) {
             s.title = "\xC9T\xC9 \x8CUVRE \x9F";
             s.dataSource = "/HOME/\xC0/GUIDE";
             s.className = "AHOMEGUIDE"; // \xC0 is no ASCII letter
         })},
        // An absolute path is a plain word; with a letter and a colon it is a switch.
        {{"/home/ana/aide/guide"}, {}},
        {{"/D:/home/x/GUIDE"}, with([](Settings& s) {
             s.dataSource = "/HOME/X/GUIDE";
             s.className = "HOMEXGUIDE";
         })},
        {{"-D=/home/x/guide"}, with([](Settings& s) {
             s.dataSource = "/HOME/X/GUIDE";
             s.className = "HOMEXGUIDE";
         })},
        {{"/usr"}, {}}, // names an existing directory
        // A switch letter followed by a separator, a blank or a digit is a
        // switch whatever slashes follow; the second character is skipped.
        {{"/N_Aide/Guide"}, with([](Settings& s) { s.title = "AIDE/GUIDE"; })},
        {{"-N_Aide/Guide"}, with([](Settings& s) { s.title = "AIDE/GUIDE"; })},
        {{"/N Mon/titre"}, with([](Settings& s) { s.title = "MON/TITRE"; })},
        {{"/P12/x"}, with([](Settings& s) {
             s.startArticle = true;
             s.startNumber = 2;
         })},
        {{"/a=/home/x/notes"}, with([](Settings& s) { s.userBase = "/HOME/X/NOTES"; })},
        {{"/f_/tmp/x"}, with([](Settings& s) { s.closeRunning = true; })},
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
