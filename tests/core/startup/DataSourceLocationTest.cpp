// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startup/DataSourceLocation.h"

#include "core/articles/DataSourceWriter.h"
#include "core/common/Cp1252.h"
#include "core/startup/StartupSettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {
namespace {

using test::TempDir;

void writeSource(const std::string& base) {
    DataSourceWriter w;
    w.addArticle(1, "Accueil", "{\\rtf1 x}");
    ASSERT_TRUE(w.write(base));
}

// The native directory as the discovery spells it: Windows-1252 capitals.
std::string upperDir(const std::string& native) {
    return cp1252::toUpper(cp1252::fromUtf8(native)) + "/";
}

TEST(DataSourceLocationTest, WindowTitleFollowsTheTableInOrder) {
    struct Case {
        const char* override;
        const char* dataSource;
        const char* title;
    };
    const Case cases[] = {
        {"", "C:\\DOCS\\MELDRU2", "Aide Meldo Trusane"},
        {"", "C:\\DOCS\\MELD", "Aide Meldo"},
        {"", "C:\\SALDE\\TRUC", "Aide Saldeno Trusane"},
        {"", "C:\\SALDE\\X", "Aide Saldeno"},
        {"", "C:\\ELUNA\\DAVRO", "Aide Davro/Eluna"},
        {"", "/home/ana/davro", "Aide Davro/Eluna"},
        {"", "C:\\ELUNA\\X", "Aide Davro/Eluna"},
        {"", "C:\\KORVA\\MELDRU", "Aide Korvaline"},
        {"", "C:\\MELD\\KORVA", "Aide Korvaline"},
        {"", "C:\\VORNI\\SALDE", "Aide Vornel"},
        {"", "C:\\SALDE\\PLIVE", "Aide Saldeno"},
        {"", "C:\\PLIVE\\GOSKA", "Aide Plivenne"},
        {"", "C:\\GOSKA\\DAVRO", "Aide Goskarel"},
        {"", "", "Aide"},
        {"", "C:\\AIDE\\GUIDE", "Aide"},
        {"MON AIDE", "C:\\DOCS\\MELDRU2", "MON AIDE"},
        {"x", "", "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowTitle(c.override, c.dataSource), c.title) << c.dataSource;

    StartupSettings s;
    s.strDataSource = "C:\\SALDE\\TRUC";
    EXPECT_EQ(WindowTitle(s), "Aide Saldeno Trusane");
    s.strTitleOverride = "AIDE DU LOGICIEL";
    EXPECT_EQ(WindowTitle(s), "AIDE DU LOGICIEL");
    EXPECT_EQ(WindowTitle(StartupSettings()), "Aide");
}

TEST(DataSourceLocationTest, InstanceClassNameIsTheLastTenLetters) {
    struct Case {
        std::string value;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\AIDE\\GUIDE", "CAIDEGUIDE"},
        {"D:\\X1", "AAAAAAAADX"},
        {"", "AAAAAAAAAA"},
        {"/HOME/ANA/AIDE/GUIDE", "AAIDEGUIDE"},
        {"abcdefghijklm", "defghijklm"},
        {"\xC9T\xC9 1-2_3 Z", "AAAAAAAATZ"},
        {std::string("A\0B", 3), "AAAAAAAAAB"},
    };
    for (const Case& c : cases) {
        const std::string name = MakeInstanceClassName(c.value);
        EXPECT_EQ(name, c.name) << c.value;
        EXPECT_EQ(name.size(), 10u);
    }
}

TEST(DataSourceLocationTest, FindDataSourceBesideTheExecutable) {
    TempDir dir;
    // None there yet.
    EXPECT_EQ(FindDataSource(dir.file("visio")), "");
    EXPECT_TRUE(DataSourceMissing(FindDataSource(dir.file("visio"))));

    ASSERT_EQ(::mkdir(dir.file("zz.pgd").c_str(), 0755), 0); // a directory is no data source
    TempDir::writeFile(dir.file(".pgd"), "");
    TempDir::writeFile(dir.file("Notes.pgd.bak"), "");
    EXPECT_EQ(FindDataSource(dir.file("visio")), "");

    writeSource(dir.file("guide"));
    const std::string found = FindDataSource(dir.file("visio"));
    EXPECT_EQ(found, upperDir(dir.path()) + "GUIDE");
    EXPECT_FALSE(DataSourceMissing(found)) << "the upper-cased base must find guide.*";

    // Several: the first by name, whatever the directory order.
    writeSource(dir.file("Aide"));
    EXPECT_EQ(FindDataSource(dir.file("visio")), upperDir(dir.path()) + "AIDE");
}

TEST(DataSourceLocationTest, FindDataSourceInFoldersOfAnyName) {
    struct Case {
        const char* folder;
        const char* file;
    };
    const Case cases[] = {
        {"été", "cœur.PGD"},                               // été/cœur: Windows-1252 letters
        {"日本", "Guide.pgd"},                             // 日本: no Windows-1252 byte
        {"a b'c", "x.y.PgD"},    {"double", "A.PGDX.PGD"}, // only the final extension is cut
        {"triple", "b.pgd.pgd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        TempDir dir;
        const std::string folder = dir.file(c.folder);
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        const std::string file = c.file;
        writeSource(folder + "/" + file.substr(0, file.size() - 4));
        ::rename((folder + "/" + file.substr(0, file.size() - 4) + ".PGD").c_str(),
                 (folder + "/" + file).c_str());
        const std::string found = FindDataSource(folder + "/visio");
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found, cp1252::toUpper(found));
        EXPECT_FALSE(DataSourceMissing(found)) << cp1252::toUtf8(found);
        EXPECT_EQ(ResolvedBase(found), folder + "/" + file.substr(0, file.size() - 4));
    }
}

TEST(DataSourceLocationTest, DataSourceMissingLooksUpAllFourFiles) {
    TempDir dir;
    writeSource(dir.file("Guide"));
    const std::string base = cp1252::fromUtf8(dir.path()) + "/GUIDE";
    EXPECT_FALSE(DataSourceMissing(base));
    for (const char* ext : {".PGL", ".FIC", ".PGH", ".PGD"}) {
        SCOPED_TRACE(ext);
        const std::string file = dir.file(std::string("Guide") + ext);
        const std::string saved = TempDir::readFile(file);
        ASSERT_EQ(::unlink(file.c_str()), 0);
        EXPECT_TRUE(DataSourceMissing(base));
        TempDir::writeFile(file, saved);
        EXPECT_FALSE(DataSourceMissing(base));
    }
    EXPECT_TRUE(DataSourceMissing(base + "2"));
    EXPECT_TRUE(DataSourceMissing(cp1252::fromUtf8(dir.path()) + "/ABSENT/GUIDE"));
}

TEST(DataSourceLocationTest, ResolvedBaseTakesTheDataSourceSpelling) {
    TempDir dir;
    writeSource(dir.file("Guide"));
    TempDir::writeFile(dir.file("GUIDE.txt"), "sorts before Guide.*");
    const std::string upper = cp1252::fromUtf8(dir.path()) + "/GUIDE";
    EXPECT_EQ(ResolvedBase(upper), dir.file("Guide"));
    EXPECT_EQ(ResolvedBase(cp1252::fromUtf8(dir.path()) + "/NOTES"), dir.file("NOTES"));
    EXPECT_EQ(ResolvedBase(""), "");
}

} // namespace
} // namespace tolvane
