#include <gtest/gtest.h>

#include "environment/localised_strings.h"
#include "package/file_info.h"
#include "package_fixtures.h"
#include "util/lists.h"

namespace zelkor {
namespace {

Text Item(const ListItems& entries) {
    Text item;
    BuildList(entries, &item);
    return item;
}

Text Table(const std::vector<Text>& items) {
    Text table;
    BuildList(items, &table);
    return table;
}

class LangTextTest : public ::testing::Test {
  protected:
    void TearDown() override {
        SetPrimaryLanguageId(9);
        ResetChosenLanguageItem();
    }
    // A descriptor read from an installer carrying `table`, on a system
    // whose primary language is `languageId`.
    TGFileInfo Package(const Text& table, int languageId) {
        SetPrimaryLanguageId(languageId);
        ResetChosenLanguageItem();
        PackageDescription package;
        package.languageTable = table;
        installer_ = fixtures::Build(package);
        MemoryByteSource source(installer_);
        return TGFileInfo(source);
    }
    Text installer_;
};

const Text kGerman = Item({"German", "s1=Dateien werden entpackt...", "Charset=0"});
const Text kEnglish = Item({"English", " s1 = Hello", "s6=", "FontSize=abc"});
const Text kDutch = Item({"Dutch", "s1=Bestanden uitpakken..."});

TEST(LangIdToName, FindsTheFirstEntryHoldingTheDigits) {
    const struct {
        int id;
        const char* name;
    } cases[] = {{9, "ENGLISH"},     {12, "FRENCH"}, {26, "CROATIAN"}, {54, "AFRIKAANS"},
                 {42, "VIETNAMESE"}, {64, ""},       {100, ""},        {0, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(LangIdToName(c.id), c.name) << c.id;
}

TEST(LangIdToName, PrimaryLanguageFromTheLocale) {
    EXPECT_EQ(PrimaryLanguageIdFromLocale(0x040C), 12); // French (France)
    EXPECT_EQ(PrimaryLanguageIdFromLocale(0x0809), 9);
    EXPECT_EQ(PrimaryLanguageIdFromLocale(0), 9);
    EXPECT_EQ(PrimaryLanguageIdFromLocale(0x10000), 9);
}

TEST_F(LangTextTest, OneCharacterTableGivesDefaults) {
    const TGFileInfo info = Package(Text(1, '\x02'), 9);
    EXPECT_EQ(info.GetLangText("s1", "Extracting Files..."), "Extracting Files...");
    EXPECT_EQ(info.GetLangFontSize(), 8);
    EXPECT_EQ(info.GetLangFontName(), "Tahoma");
    EXPECT_EQ(info.GetLangCharset(), 0);
}

TEST_F(LangTextTest, ChoiceOfTheLanguageItem) {
    const struct {
        std::vector<Text> items;
        int languageId;
        const char* s1;
    } cases[] = {
        {{kGerman}, 9, "Dateien werden entpackt..."}, // the only item, whatever its name
        {{kGerman, kEnglish}, 12, " Hello"},          // English as fallback
        {{kGerman, kDutch}, 12, "default"},           // neither: defaults
        {{kGerman, kDutch}, 19, "Bestanden uitpakken..."},
        {{kEnglish, kGerman}, 64, " Hello"}, // an identifier not in the table
        {{Item({"Serbian", "s1=sr"}), Item({" croatian ", "s1=hr"})}, 26, "hr"},
    };
    for (const auto& c : cases) {
        const TGFileInfo info = Package(Table(c.items), c.languageId);
        EXPECT_EQ(info.GetLangText("s1", "default"), c.s1) << c.languageId;
    }
}

TEST_F(LangTextTest, KeysMatchIgnoringCaseAndBlanksAndEmptyValuesStayEmpty) {
    const TGFileInfo info = Package(Table({kEnglish}), 9);
    EXPECT_EQ(info.GetLangText("S1", "d"), " Hello");
    EXPECT_EQ(info.GetLangText("s6", "d"), "");
    EXPECT_EQ(info.GetLangText("s7", "d"), "d");
    EXPECT_EQ(info.GetLangFontSize(), 8); // not a number
}

TEST_F(LangTextTest, ButtonCaptionListComesBackWhole) {
    const Text captions = "|&OK|&Annuler|&Oui|&Non|&Abandonner|&Recommencer|&Ignorer|";
    const TGFileInfo info =
        Package(Table({Item({"French", "BtnText=" + captions, "Charset=177", "FontSize=10"})}), 12);
    EXPECT_EQ(info.GetLangText("BtnText", ""), captions);
    EXPECT_EQ(info.GetLangCharset(), 177);
    EXPECT_EQ(info.GetLangFontSize(), 10);
}

TEST_F(LangTextTest, TheChoiceIsMadeOncePerProcess) {
    const TGFileInfo first = Package(Table({kGerman, kEnglish}), 7);
    EXPECT_EQ(first.GetLangText("s1", "d"), "Dateien werden entpackt...");
    SetPrimaryLanguageId(9);
    EXPECT_EQ(first.GetLangText("s1", "d"), "Dateien werden entpackt...");
}

} // namespace
} // namespace zelkor
