#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "environment/localised_strings.h"
#include "file_io.h"
#include "language_file.h"
#include "options.h"
#include "package/file_info.h"
#include "package_fixtures.h"
#include "util/lists.h"

namespace zelkor {
namespace {

const char kButtonsFr[] = "|&OK|&Annuler|&Oui|&Non|&Abandonner|&Recommencer|&Ignorer|";

std::string DemoFile() {
    const std::string here = __FILE__;
    return here.substr(0, here.rfind("tests/unit/")) + "demo/languages.txt";
}

class LanguageFileTest : public ::testing::Test {
  protected:
    void TearDown() override {
        SetPrimaryLanguageId(9);
        ResetChosenLanguageItem();
    }
    // The stub's view of an installer carrying `table`, on a system whose
    // primary language is `languageId`.
    TGFileInfo Installer(const std::string& table, int languageId) {
        PackageDescription package;
        package.languageTable = table;
        return Reader(fixtures::Build(package), languageId);
    }
    TGFileInfo Reader(const std::string& installer, int languageId) {
        SetPrimaryLanguageId(languageId);
        ResetChosenLanguageItem();
        installer_ = installer;
        MemoryByteSource source(installer_);
        return TGFileInfo(source);
    }
    static std::string Table(const std::string& text) {
        std::string table, error;
        EXPECT_TRUE(ParseLanguageFile(text, &table, &error)) << error;
        return table;
    }
    std::string installer_;
};

TEST_F(LanguageFileTest, SectionsReachTheStubsLookup) {
    const std::string file =
        "\xEF\xBB\xBF; a comment\r\n"
        "[English]\r\n"
        "  s1  =   Extracting   files  \r\n"
        "BtnText=||&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore||\r\n"
        "\r\n"
        "[ French ]\n"
        "\t# another comment\n"
        "s1=|  Extraction  |\n"
        "s2=#not a comment=a=b\n"
        "s6=\n"
        "s7=|\n"
        "BtnText=||&OK|&Annuler|&Oui|&Non|&Abandonner|&Recommencer|&Ignorer||\n"
        "Confirm=Confirmation";
    const struct {
        int languageId;
        const char* key;
        const char* expected;
    } cases[] = {
        {9, "s1", "Extracting   files"},
        {9, "BtnText", "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|"},
        {9, "Confirm", "default"},
        {7, "s1", "Extracting   files"}, // German: English is the fallback
        {12, "s1", "  Extraction  "},
        {12, "S2", "#not a comment=a=b"},
        {12, "s6", ""},
        {12, "s7", ""},
        {12, "BtnText", kButtonsFr},
        {12, "Confirm", "Confirmation"}, // the last line needs no line end
        {12, "Error", "default"},
    };
    const std::string table = Table(file);
    for (const auto& c : cases) {
        const TGFileInfo info = Installer(table, c.languageId);
        EXPECT_EQ(info.GetLangText(c.key, "default"), c.expected) << c.languageId << " " << c.key;
    }
}

TEST_F(LanguageFileTest, TableAndItemsTakeDelimitersOutsideTheirTexts) {
    const std::string table = Table("[English]\ns1=a^b\nBtnText=||&OK|&Cancel||\n[French]\ns1=c\n");
    ASSERT_EQ(ListItemCount(table), 2);
    const std::string english = ListItem(table, 0, "");
    const std::string french = ListItem(table, 1, "");
    EXPECT_EQ(english[0], '!'); // "|" and "^" occur in its texts
    EXPECT_EQ(french[0], '|');
    EXPECT_EQ(table[0], '~'); // also unlike either item's delimiter
    EXPECT_EQ(ListItem(english, 0, ""), "English");
    EXPECT_EQ(ListItem(english, 1, ""), "s1=a^b");
    EXPECT_EQ(ListItem(french, 1, ""), "s1=c");
}

TEST_F(LanguageFileTest, Utf8IsStoredInWindows1252AndOtherBytesAsTheyAre) {
    const struct {
        const char* value; // as written in the file
        const char* stored;
    } cases[] = {
        {"Espace limit\xC3\xA9", "Espace limit\xE9"},
        {"\xC5\x93uvre \xE2\x80\x99 \xE2\x82\xAC \xC2\xAB\xC2\xA0x\xC2\xA0\xC2\xBB",
         "\x9Cuvre \x92 \x80 \xAB\xA0x\xA0\xBB"},
        {"Espace limit\xE9", "Espace limit\xE9"}, // already Windows-1252
        {"\xD0\xE0\xF1\xEF\xE0\xEA\xEE\xE2\xEA\xE0", "\xD0\xE0\xF1\xEF\xE0\xEA\xEE\xE2\xEA\xE0"},
        {"\xC0\xAF overlong", "\xC0\xAF overlong"}, // not UTF-8
    };
    for (const auto& c : cases) {
        const TGFileInfo info = Installer(Table(std::string("[French]\ns1=") + c.value + "\n"), 12);
        EXPECT_EQ(info.GetLangText("s1", ""), c.stored) << c.value;
    }
}

TEST_F(LanguageFileTest, MistakesAreReportedWithTheirLine) {
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"; texts\ns1=Hello\n[English]\n", "line 2: key=value before the first [language]"},
        {"[English]\ns1 Hello\n", "line 2: expected [language] or key=value, found 's1 Hello'"},
        {"[English]\n\n[  ]\n", "line 3: empty language name"},
        {"[English\n", "line 1: a section header needs its ']'"},
        {"[French]\ns1=a\n[English]\n[FRENCH]\n", "line 4: [FRENCH] again (first at line 1)"},
        {"[English]\n = Hello\n", "line 2: no key before '='"},
        {"[English]\ns1=a\nS1 =b\n", "line 3: key S1 appears twice in [English]"},
        {"[English]\nBtnText=|&OK|&Cancel|\n", "line 2: BtnText must be a list of captions"},
        {"[English]\nbtntext=&OK\n", "line 2: BtnText must be a list of captions"},
        {"[English]\n[Francais]\n", "line 2: [Francais] would never be chosen"},
        {"[Croatian]\n[Serbian]\n", "line 2: [Serbian] would never be chosen"},
        {"[English]\ns1=\xD0\x96\n", "line 2: U+0416 has no Windows-1252 form"},
        {std::string("[English]\ns1=a\0b\n", 17), "line 2: a NUL byte"},
        {std::string("\xFF\xFE[\0E\0]\0", 8), "UTF-16 text"},
        {"[English]\n\ns1=|^!~@#$&*\xFF\n", "line 1: the texts of [English] use every"},
        {"", "no [language] section"},
        {"; only comments\n\n", "no [language] section"},
    };
    for (const auto& c : cases) {
        std::string table = "untouched", error;
        EXPECT_FALSE(ParseLanguageFile(c.text, &table, &error)) << c.text;
        EXPECT_EQ(error.compare(0, std::strlen(c.error), c.error), 0) << error;
        EXPECT_EQ(table, "untouched") << c.text;
    }
    // One section is used whatever its name, so any name will do.
    std::string table, error;
    EXPECT_TRUE(ParseLanguageFile("[Francais]\ns1=x\n", &table, &error)) << error;
}

TEST_F(LanguageFileTest, OptionBuildsTheInstallerFromTheFile) {
    const std::string dir = testing::TempDir() + "language_file_test_";
    const std::string stub = dir + "stub.exe", languages = dir + "languages.txt";
    std::string error;
    ASSERT_TRUE(WriteFileReplacing(stub, fixtures::FakeStub(), &error)) << error;
    ASSERT_TRUE(WriteFileReplacing(languages, "[English]\ns1=Hi\n[French]\ns1=Salut\n", &error));

    PackCommandLine line;
    ASSERT_TRUE(ParsePackCommandLine(
        {"build", "--stub", stub, "--out", dir + "out.exe", "--languages", languages}, &line,
        &error))
        << error;
    std::vector<std::string> volumes;
    ASSERT_TRUE(BuildVolumesFromOptions(line.build, &volumes, &error)) << error;
    EXPECT_EQ(Reader(volumes[0], 12).GetLangText("s1", ""), "Salut");
    EXPECT_EQ(Reader(volumes[0], 9).GetLangText("s1", ""), "Hi");

    ASSERT_TRUE(WriteFileReplacing(languages, "[English]\ns1\n", &error));
    EXPECT_FALSE(BuildVolumesFromOptions(line.build, &volumes, &error));
    EXPECT_EQ(error, languages + ": line 2: expected [language] or key=value, found 's1'");
    line.build.languagesFile = dir + "missing.txt";
    EXPECT_FALSE(BuildVolumesFromOptions(line.build, &volumes, &error));

    EXPECT_FALSE(ParsePackCommandLine({"build", "--stub", stub, "--out", dir + "out.exe",
                                       "--languages", languages, "--lang-list", languages},
                                      &line, &error));
    EXPECT_EQ(error, "--languages cannot be combined with --lang-list");
    std::remove(stub.c_str());
    std::remove(languages.c_str());
}

TEST_F(LanguageFileTest, DemoFileTranslatesEveryText) {
    std::string table, error;
    ASSERT_TRUE(ReadLanguageFile(DemoFile(), &table, &error)) << error;
    const char* keys[] = {"s0", "s1", "s2",      "s3",      "s4",        "s5",   "s6",
                          "s7", "s8", "BtnText", "Confirm", "Attention", "Error"};
    for (int languageId : {9, 12}) {
        const TGFileInfo info = Installer(table, languageId);
        for (const char* key : keys)
            EXPECT_NE(info.GetLangText(key, "missing"), "missing") << languageId << " " << key;
        const std::string buttons = info.GetLangText("BtnText", "");
        EXPECT_EQ(ListItemCount(buttons), 7) << buttons;
    }
    const TGFileInfo french = Installer(table, 12);
    EXPECT_EQ(french.GetLangText("s1", ""), "Extraction des fichiers...");
    EXPECT_EQ(french.GetLangText("BtnText", ""), kButtonsFr);
    EXPECT_EQ(french.GetLangText("s3", ""),
              "Espace libre limit\xE9 sur votre lecteur temporaire ! (<DRIVE>)<P>");
    const TGFileInfo english = Installer(table, 9);
    EXPECT_EQ(english.GetLangText("s1", ""), "Extracting Files...");
    EXPECT_EQ(english.GetLangText("BtnText", ""), "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|");
}

} // namespace
} // namespace zelkor
