#include <gtest/gtest.h>

#include <string>

#include "core/StringBuffer.h"

namespace {
std::string Decoded(const std::string& text) {
    StringBuffer sb(text.data(), static_cast<uint32_t>(text.size()));
    sb.DecodeEntities();
    return std::string(sb.GetString(), sb.GetSize());
}
}  // namespace

TEST(EntityDecoding, FixedPassesInTheirOrder) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"plain text, no references", "plain text, no references"},
        {"&amp;lt;", "<"},                 // "&amp;" runs before "&lt;"
        {"&amp;quot;", "&quot;"},          // "&quot;" ran before "&amp;" and has no later pass
        {"&amp;amp;", "&"},                // the last "&amp;" pass
        {"a&nbsp;b", "a b"},               // a plain blank, not 0xA0
        {"it&#39;s", "it's"},
        {"&#255;", "&#255;"},              // the first decimal reading accepts 1 to 254 only
        {"&#x41;", "A"},
        {"&#xFF;", "\xFF"},
        {"&#xff;", "\xFF"},
        {"&#65b", "A"},                    // the byte after the digits is skipped, whatever it is
        {"&#X41;", "&#X41;"},              // a capital X is not a hexadecimal reference
        {"&eacute;", "\xE9"},
        {"&euro;", "\x80"},
        {"&#8364;", "\x80"},
        {"&#x20AC;", "\x80"},
        {"&rsquo;&#8217;", "\x92\x92"},
        {"&trade;&bull;&hellip;", "\x99\x95\x85"},
        {"&ensp;&#8205;", "  "},
        {"&lt;p&gt;Caf&amp;eacute;&lt;/p&gt;", "<p>Caf\xE9</p>"},
        {"&unknown; &#1234;", "&unknown; &#1234;"},
        {"x&#x41", "xA"},                  // a reference at the very end: nothing is read past it
        {"&#x4", "&#x4"},                  // too short for a hexadecimal reference
        {"&#9", "&#9"},                    // too short for a decimal reference
        {"&#9;", "\x09"},
        {"&#", "&#"},
        {"&#x;", "&#x;"},
        {"&#0;", "&#0;"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decoded(c.in), c.out) << c.in;
    }
}

TEST(EntityDecoding, EveryLatinOneNameGivesItsByte) {
    const char* const names[] = {"nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar",
                                 "sect", "uml", "copy", "ordf", "laquo", "not", "shy", "reg",
                                 "macr", "deg", "plusmn", "sup2", "sup3", "acute", "micro",
                                 "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14",
                                 "frac12", "frac34", "iquest"};
    for (int i = 1; i < 32; ++i) {  // nbsp (0xA0) is the exception: it becomes a blank
        EXPECT_EQ(Decoded(std::string("&") + names[i] + ";"), std::string(1, static_cast<char>(0xA0 + i)))
            << names[i];
    }
    const char* const letters[] = {
        "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
        "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
        "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
        "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
        "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
        "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
        "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
        "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(Decoded(std::string("&") + letters[i] + ";"), std::string(1, static_cast<char>(0xC0 + i)))
            << letters[i];
    }
}

TEST(EntityDecoding, NumericReferencesAfterNamedOnes) {
    // A numeric pass sees what the named passes produced, never the other way round.
    EXPECT_EQ(Decoded("&amp;#65;"), "A");
    EXPECT_EQ(Decoded("&#38;lt;"), "&lt;");
    EXPECT_EQ(Decoded("&#x26;#65;"), "A") << "the decimal pass runs over what the hexadecimal one made";
    EXPECT_EQ(Decoded("&#38;#x41;"), "&#x41;") << "but not the other way round";
}
