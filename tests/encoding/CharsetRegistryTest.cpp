#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/StringBuffer.h"
#include "encoding/CharsetRegistry.h"
#include "encoding/_qvCharset.h"
#include "tests/support/TestSupport.h"

namespace {

std::string CanonicalName(int codePage) {
    StringBuffer name("leftover");
    return NameOfCodePage(codePage, name) ? name.GetString()
                                          : "(none:" + std::string(name.GetString()) + ")";
}

}  // namespace

TEST(CharsetRegistry, NamesAreNormalizedBeforeTheyAreMatched) {
    const struct {
        const char* name;
        int codePage;
    } cases[] = {
        {"ISO_8859-1", 28591},
        {" Windows-1252 ", 1252},
        {"\tUTF8\r\n", 65001},
        {"shift_jis", 932},
        {"Shift-JIS", 932},
        {"x-sjis", 932},
        {"x-ms-cp932", 932},
        {"gb18030", 936},
        {"KS_C_5601-1987", 949},
        {"ascii", 20127},
        {"latin1", 28591},
        {"iso-8859-8 visual", 28598},
        {"x-user-defined", 50000},
        {"UTF-16", 1200},
        {"unicodeFFFE", 1201},
        {"utf-7", 65000},
        {"euc-jp", 51932},
        {"csISO2022JP", 50220},
        {"ks", 0},
        {"", 0},
        {"utf-9", 0},
        {"iso-8859-8  visual", 0},
        {"x", 0},
        {"  ", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodePageOfName(c.name), c.codePage) << '"' << c.name << '"';
        EXPECT_EQ(IsKnownCharset(c.name), c.codePage != 0) << c.name;
    }
    EXPECT_EQ(CodePageOfName(nullptr), 0);
    // Latin-1 capitals (0xC0-0xDF) are lowered too, so they never match the ASCII names.
    EXPECT_EQ(CodePageOfName("\xC9UC-JP"), 0);
}

TEST(CharsetRegistry, AnsiFollowsTheProcessCodePage) {
    testsupport::ScopedEnv ansi("QV_ANSI_CODEPAGE", "1251");
    EXPECT_EQ(CodePageOfName("ANSI"), 1251);
    EXPECT_EQ(CodePageOfName(" ansi "), 1251);
}

TEST(CharsetRegistry, EveryCanonicalNameLeadsBackToItsCodePage) {
    // The four canonical names that another code page accepts, where they lead instead.
    const std::map<int, int> elsewhere = {
        {20932, 51932}, {50221, 50220}, {50222, 50220}, {54936, 936}};
    int canonical = 0;
    for (int codePage = 1; codePage < 65536; ++codePage) {
        StringBuffer name;
        if (!NameOfCodePage(codePage, name)) {
            EXPECT_TRUE(name.IsEmpty());
            continue;
        }
        ++canonical;
        const auto other = elsewhere.find(codePage);
        EXPECT_EQ(CodePageOfName(name.GetString()),
                  other == elsewhere.end() ? codePage : other->second)
            << name.GetString();
    }
    EXPECT_EQ(canonical, 140);
}

TEST(CharsetRegistry, NameOfCodePage) {
    EXPECT_EQ(CanonicalName(932), "shift_jis");
    EXPECT_EQ(CanonicalName(949), "ks_c_5601-1987");
    EXPECT_EQ(CanonicalName(54936), "gb18030");
    EXPECT_EQ(CanonicalName(50222), "iso-2022-jp");
    EXPECT_EQ(CanonicalName(1252), "windows-1252");
    EXPECT_EQ(CanonicalName(709), "(none:)") << "the name is cleared when there is none";
    EXPECT_EQ(CanonicalName(0), "(none:)");
    EXPECT_EQ(CanonicalName(12345), "(none:)");
}

TEST(QvCharset, SetByNameAndByCodePage) {
    testsupport::ScopedEnv ansi("QV_ANSI_CODEPAGE", "1250");
    testsupport::ScopedEnv oem("QV_OEM_CODEPAGE", "852");
    const struct {
        const char* name;
        int codePage;
        const char* canonical;
    } cases[] = {
        {"Shift_JIS", 932, "shift_jis"}, {"x-user-defined", 0, ""},      {"default", 0, ""},
        {"asmo-449", 709, ""},           {"AnSi", 1250, "windows-1250"}, {"OEM", 852, "ibm852"},
        {"no-such-charset", 0, ""},      {"gb18030", 936, "gb2312"},
    };
    for (const auto& c : cases) {
        _qvCharset charset;
        charset.SetByName("utf-8");
        charset.SetByName(c.name);
        EXPECT_EQ(charset.GetCodePage(), c.codePage) << c.name;
        EXPECT_STREQ(charset.GetName(), c.canonical) << c.name;
    }
    _qvCharset charset;
    EXPECT_EQ(charset.GetCodePage(), 0);
    EXPECT_STREQ(charset.GetName(), "");
    charset.SetByName("koi8-r");
    charset.SetByName(nullptr);
    EXPECT_EQ(charset.GetCodePage(), 20866) << "no name changes nothing";
    charset.SetByCodePage(20932);
    EXPECT_EQ(charset.GetCodePage(), 20932);
    EXPECT_STREQ(charset.GetName(), "euc-jp");
    charset.SetByCodePage(709);
    EXPECT_EQ(charset.GetCodePage(), 0) << "709 has no canonical name";
    EXPECT_STREQ(charset.GetName(), "");
}
