// The emulation's name matching, which has to agree with Wine's quirks and
// all; the contract suite checks whole listings against Wine itself.
#include "os/emulated/Text.h"

#include <gtest/gtest.h>

namespace {

namespace text = os::emulated::text;

TEST(EmulatedText, MasksMatchAsWinesGreedyMatcherDoes) {
    const struct {
        const char16_t* mask;
        const char16_t* name;
        bool matches;
    } cases[] = {
        {u"*.txt", u"test1.test.txt", true},
        {u"*st1*", u"test1.txt", true},
        {u"*.t??????.t*", u"test1.ta.tornado.txt", true},
        {u"t*t", u"test1.ta.tornado.txt", true},
        {u"?est???", u"test1.txt", false},
        {u"h?l?o*t.dat", u"hellothisisatest.dat", true},
        {u"*.*", u"noext", true},       // trailing "." and "*" are ignored
        {u"*.", u"a.b.c", true},
        {u"???", u"ab", false},         // '?' is exactly one character
        {u"*?x", u"abx", false},        // Wine looks for a literal '?' after '*'
        {u"TOOLS.DOT", u"tools.dot", true},
        {u"*.dot", u"Report.dotx", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mask, c.mask + std::char_traits<char16_t>::length(c.mask)));
        EXPECT_EQ(c.matches, text::MatchMask(c.mask, c.name));
    }
}

TEST(EmulatedText, OnlyNamesOutside83HaveAShortName) {
    const struct {
        const char16_t* name;
        bool legal;
    } cases[] = {
        {u"Tools.dot", true},    {u"NOEXT", true},        {u"ab.c", true},        {u".", true},
        {u"..", true},           {u"Report.dotx", false}, {u"a.b.c", false},      {u"verylongname", false},
        {u".hidden", false},     {u"with space.txt", false}, {u"a+b.txt", false}, {u"Caf\u00e9.txt", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.legal, text::IsLegal83(c.name)) << std::u16string(c.name).size();
}

TEST(EmulatedText, AShortNameKeepsFourLettersAHashAndThreeOfTheExtension) {
    const std::u16string shortName = text::ShortName(u"Report.dotx");
    ASSERT_EQ(12u, shortName.size());
    EXPECT_EQ(u"REPO~", shortName.substr(0, 5));
    EXPECT_EQ(u".DOT", shortName.substr(8));
    EXPECT_EQ(text::ShortName(u"REPORT.DOTX"), shortName) << "the hash ignores case";
    EXPECT_NE(text::ShortName(u"Report.dotm"), shortName);
    EXPECT_EQ(u"X~~~~", text::ShortName(u"x.dotm").substr(0, 5));
    EXPECT_EQ(u"_HID~", text::ShortName(u".hidden").substr(0, 5));
    EXPECT_EQ(8u, text::ShortName(u".hidden").size()) << "a leading dot starts no extension";
    EXPECT_TRUE(text::ListingMatches("*.dot", "Report.dotx"));
    EXPECT_FALSE(text::ListingMatches("*.dot", "Tools.dotx.bak"));
}

TEST(EmulatedText, RegistryAndListingOrdersFoldCaseDifferently) {
    // The registry compares lower case, listings upper case: '_' falls
    // between the two.
    EXPECT_TRUE(text::RegistryLess("_x", "A"));
    EXPECT_FALSE(text::ListingLess("_x", "A"));
    EXPECT_TRUE(text::ListingLess("Zeta", "_under"));
    EXPECT_TRUE(text::IEquals("Software\\Microsoft", "SOFTWARE\\microsoft"));
    EXPECT_TRUE(text::IContains("C:\\Templates\\Normal.dot", "normal.DOT"));
}

}  // namespace
