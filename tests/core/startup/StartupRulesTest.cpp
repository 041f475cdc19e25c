// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/StartupRules.h"

#include "core/articles/DataSourceWriter.h"
#include "core/common/Cp1252.h"
#include "core/startup/DataSourceLocation.h"
#include "core/startup/StartupSettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::TempDir;

class StartupRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        DataSourceWriter w;
        w.addArticle(1, "Accueil", "{\\rtf1 x}");
        ASSERT_TRUE(w.write(m_dir.file("guide")));
        m_exe = m_dir.file("visio");
        m_found = cp1252::toUpper(cp1252::fromUtf8(m_dir.path())) + "/GUIDE";
    }
    TempDir m_dir;
    std::string m_exe;
    std::string m_found;
};

TEST_F(StartupRulesTest, BareStartFindsTheDataSourceBesideTheExecutable) {
    const StartupOutcome outcome = ApplyStartupRules({}, m_exe);
    EXPECT_FALSE(outcome.dataSourceMissing);
    EXPECT_EQ(outcome.settings.strDataSource, m_found);
    EXPECT_EQ(outcome.settings.strUserBase, m_found);
    EXPECT_EQ(outcome.settings.strClassName, kDefaultClassName);
    EXPECT_FALSE(outcome.settings.bStartArticle);
    EXPECT_FALSE(outcome.settings.bCloseRunning);
}

TEST_F(StartupRulesTest, SwitchesDecideBeforeDiscoveryAndDefaults) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string dataSource;
        std::string userBase;
        bool missing;
    };
    const std::string lower = m_dir.path() + "/guide";
    const std::string upper = cp1252::toUpper(cp1252::fromUtf8(lower));
    const Case cases[] = {
        {"/A keeps the user base apart", {"/A:/perso/notes"}, m_found, "/PERSO/NOTES", false},
        {"/D names the data source", {"/D:" + lower}, upper, upper, false},
        {"/D of a missing base",
         {"/D:" + m_dir.path() + "/absent"},
         cp1252::toUpper(m_dir.path() + "/absent"),
         cp1252::toUpper(m_dir.path() + "/absent"),
         true},
        {"/D alone lets discovery run", {"/D"}, m_found, m_found, false},
        {"a path is no switch", {m_dir.path() + "/absent"}, m_found, m_found, false},
        {"/F is still checked for a data source",
         {"/F", "/D:" + m_dir.path() + "/x"},
         cp1252::toUpper(m_dir.path() + "/x"),
         cp1252::toUpper(m_dir.path() + "/x"),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StartupOutcome outcome = ApplyStartupRules(c.args, m_exe);
        EXPECT_EQ(outcome.settings.strDataSource, c.dataSource);
        EXPECT_EQ(outcome.settings.strUserBase, c.userBase);
        EXPECT_EQ(outcome.dataSourceMissing, c.missing);
    }

    // Nothing beside the executable and no /D: missing, with an empty base.
    TempDir empty;
    const StartupOutcome outcome = ApplyStartupRules({"/P:4"}, empty.file("visio"));
    EXPECT_TRUE(outcome.dataSourceMissing);
    EXPECT_EQ(outcome.settings.strDataSource, "");
    EXPECT_EQ(outcome.settings.strUserBase, "");
    EXPECT_EQ(outcome.settings.nStartArticle, 4);
}

TEST_F(StartupRulesTest, EveryRunStartsFromTheInitialSettings) {
    ApplyStartupRules({"/F", "/P:3", "/N:x", "/D:y", "/A:z"}, m_exe);
    const StartupOutcome outcome = ApplyStartupRules({}, m_exe);
    EXPECT_FALSE(outcome.settings.bCloseRunning);
    EXPECT_FALSE(outcome.settings.bStartArticle);
    EXPECT_EQ(outcome.settings.nStartArticle, 0);
    EXPECT_EQ(outcome.settings.strTitleOverride, "");
    EXPECT_EQ(outcome.settings.strClassName, kDefaultClassName);
    EXPECT_EQ(outcome.settings.strDataSource, m_found);
}

TEST_F(StartupRulesTest, NativeArgumentsBecomeWindows1252) {
    const StartupOutcome outcome = ApplyStartupRules({"/N:été_日"}, m_exe);
    EXPECT_EQ(outcome.settings.strTitleOverride, "\xC9T\xC9 ?");
    EXPECT_EQ(WindowTitle(outcome.settings), "\xC9T\xC9 ?");
}

} // namespace
} // namespace tolvane
