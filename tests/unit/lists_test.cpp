#include <gtest/gtest.h>

#include "util/lists.h"

namespace zelkor {
namespace {

using namespace std::string_literals;

const Text kMonths = "||JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|";

TEST(ListsTest, DelimiterCandidatesInOrderOfPreference) {
    EXPECT_EQ(Text(kListDelimiterCandidates), "|^!~@#$&*\xFF");
}

TEST(ListsTest, ItemCountNeedsTheClosingDelimiter) {
    struct Case {
        Text list;
        int expected;
    };
    const Case cases[] = {
        {"", 0},      {"|", 0},      {"||", 1},       {"|a|b|", 2},    {"|a|b", 0},
        {"^a|b^", 1}, {kMonths, 13}, {"|a|\0b|"s, 1}, {"|a\0|b|"s, 0}, {"\0a\0"s, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(ListItemCount(c.list), c.expected);
    }
}

TEST(ListsTest, ItemGivesTheDefaultForMissingAndEmptyItems) {
    struct Case {
        Text list;
        int index;
        Text expected;
    };
    const Case cases[] = {
        {kMonths, 1, "JAN"}, {kMonths, 12, "DEC"}, {kMonths, 0, "x"},     {kMonths, 13, "x"},
        {"|a||c|", 1, "x"},  {"|a||c|", 2, "c"},   {"|a|b", 0, "a"},      {"|a|b", 1, "x"},
        {"", 0, "x"},        {"|a|b|", -1, "x"},   {"^a|b^c^", 0, "a|b"}, {"|a|\0b|"s, 1, "x"},
        {"\0a\0"s, 0, "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list + " #" + IntToText(c.index));
        EXPECT_EQ(ListItem(c.list, c.index, "x"), c.expected);
    }
}

TEST(ListsTest, NestedListsKeepTheirOwnDelimiters) {
    const Text languages = "^|en|English|^|de|Deutsch|^";
    EXPECT_EQ(ListItemCount(languages), 2);
    Text german = ListItem(languages, 1, "");
    EXPECT_EQ(german, "|de|Deutsch|");
    EXPECT_EQ(ListItem(german, 0, ""), "de");
}

TEST(ListsTest, SetItemRewritesTheListWithTheFirstFreeDelimiter) {
    struct Case {
        Text list;
        int index;
        Text value, expected;
    };
    const Case cases[] = {
        {"", 0, "v", "|v|"},
        {"", 2, "v", "|||v|"},
        {"|", 0, "v", "|v|"},
        {"|a|b|", 1, "x", "|a|x|"},
        {"|a|b|", 3, "x", "|a|b||x|"},
        {"|a|b|", 0, "", "||b|"},
        {"|a||c|", 0, "x", "|x||c|"},
        {"|a|b|", 0, "p|q", "^p|q^b^"},
        {"^p|q^b^", 0, "a", "|a|b|"},
        {"|a|b|", 1, "p|q^r", "!a!p|q^r!"},
        {"|a|b|c", 0, "x", "|x|"},
        {"|a|b|c", 2, "x", "|a|b|x|"},
        // Only the value can hold a NUL; it would split the item in two.
        {"|a|b|", 0, "x\0y"s, "|x|b|"},
        // A negative index sets nothing but still rewrites the list.
        {"^a^b^", -1, "x", "|a|b|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list + " #" + IntToText(c.index) + " = " + c.value);
        Text list = c.list;
        EXPECT_TRUE(ListSetItem(list, c.index, c.value));
        EXPECT_EQ(list, c.expected);
    }
}

TEST(ListsTest, SetItemRoundTripsValuesThatHoldDelimiterCandidates) {
    const Text values[] = {"plain", "a|b", "^!~", "@#$&*", "", "|^!~@#$&*"};
    Text list;
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(ListSetItem(list, i, values[i]));
    EXPECT_EQ(list[0], '\xFF');
    EXPECT_EQ(ListItemCount(list), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(ListItem(list, i, "-"), values[i].empty() ? "-" : values[i]) << i;

    // Once the value that used every candidate goes, the list returns to '|'.
    ASSERT_TRUE(ListSetItem(list, 5, "z"));
    ASSERT_TRUE(ListSetItem(list, 3, "z"));
    ASSERT_TRUE(ListSetItem(list, 2, "z"));
    ASSERT_TRUE(ListSetItem(list, 1, "z"));
    EXPECT_EQ(list, "|plain|z|z|z||z|");
}

TEST(ListsTest, SetItemRefusesWhenNoDelimiterIsFree) {
    Text list = "|a|b|";
    EXPECT_FALSE(ListSetItem(list, 1, "|^!~@#$&*\xFF"));
    EXPECT_EQ(list, "|a|b|");

    // The items already in the list count as well as the new value.
    list = "\xFF|^!~@#$&*\xFF";
    EXPECT_FALSE(ListSetItem(list, 1, "\xFF"));
    EXPECT_EQ(list, "\xFF|^!~@#$&*\xFF");
}

TEST(ListsTest, ChooseDelimiterReplacesTheWorkingDelimiter) {
    EXPECT_EQ(ListChooseDelimiter(""), "");
    EXPECT_EQ(ListChooseDelimiter("\0a\0"s), "|a|");
    EXPECT_EQ(ListChooseDelimiter("\0a|b\0"s), "^a|b^");
    EXPECT_EQ(ListChooseDelimiter("\0|^!~@#$&*\0"s), "\xFF|^!~@#$&*\xFF");
    // The working delimiter itself is part of the tested text.
    EXPECT_EQ(ListChooseDelimiter("|a|"), "^a^");
}

TEST(ListsTest, ValueLooksUpNamesIgnoringCaseAndSpacesAroundThem) {
    struct Case {
        Text list, name, expected;
    };
    const Case cases[] = {
        {"|s1=Hello|s2=World|", "S2", "World"},
        {"|s1=Hello|s2=World|", "s2=", "World"},
        {"|s1=|", "s1", ""},
        {"|s1=a|", "s", "d"},
        {"||", "s1", "d"},
        {"|", "s1", "d"},
        {"", "s1", "d"},
        {"|s1=a", "s1", "d"},
        {"| s1 = Hello|", "S1", " Hello"},
        {"|  s1=a|", "s1", "d"},
        {"|a=x =y|", "a", "x=y"},
        {"|s1=a b |", "s1", "a b "},
        {"|s1=a|s1=b|", "s1", "a"},
        {"|xs1=a|s1=b|", "s1", "b"},
        {"|s1=a|", "", "d"},
        {"|=a|", "", "a"},
        {"^k=a|b^", "K", "a|b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list + " [" + c.name + "]");
        EXPECT_EQ(ListValue(c.list, c.name, "d"), c.expected);
    }
}

} // namespace
} // namespace zelkor
