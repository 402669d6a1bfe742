#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/StringBuffer.h"
#include "net/IpAddressText.h"
#include "platform/Sockets.h"

TEST(ParseIpv4Text, AcceptsOnlyFourDottedDecimalParts) {
    unsigned char address[4] = {};
    ASSERT_TRUE(ParseIpv4Text("1.2.3.4", address));
    EXPECT_EQ(std::vector<int>(address, address + 4), (std::vector<int>{1, 2, 3, 4}));
    ASSERT_TRUE(ParseIpv4Text("010.0.0.255", address));
    EXPECT_EQ(std::vector<int>(address, address + 4), (std::vector<int>{10, 0, 0, 255}));
    for (const char* text : {"1.2.3", "1.2.3.4.", "256.1.1.1", "1..2.3", ".1.2.3", "1.2.3.4.5", "",
                             "1.2.3.a", " 1.2.3.4", "1.2.3.-4", "99999999999.1.1.1"}) {
        EXPECT_FALSE(ParseIpv4Text(text, address)) << text;
    }
}

TEST(ParseIpv6Text, ReadsTheColonHexadecimalForms) {
    struct Case {
        const char* text;
        std::vector<int> bytes;
    };
    const Case cases[] = {
        {"::", std::vector<int>(16, 0)},
        {"::1", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"1::", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"2001:DB8::ff00:42", {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0, 0, 0x42}},
        {"1:2:3:4:5:6:7:8", {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8}},
        {"::ffff:1.2.3.4", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 1, 2, 3, 4}},
        {"1:2:3:4:5:6:1.2.3.4", {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        unsigned char address[16] = {};
        ASSERT_TRUE(ParseIpv6Text(c.text, address)) << c.text;
        EXPECT_EQ(std::vector<int>(address, address + 16), c.bytes) << c.text;
    }
    for (const char* text :
         {"", ":", ":::", "1:::2", "1::2::3", ":1::", "1:", "12345::", "1:2:3:4:5:6:7:8:9",
          "1:2:3:4:5:6:7::8", "g::", "1.2.3.4", "::1.2.3", "1.2.3.4::", "1:2:3:4:5:6:7:1.2.3.4"}) {
        unsigned char address[16];
        EXPECT_FALSE(ParseIpv6Text(text, address)) << text;
    }
}

TEST(FormatAddress, PrintsBothFamilies) {
    StringBuffer out;
    const unsigned char v4[4] = {192, 168, 0, 1};
    ASSERT_TRUE(FormatAddress(platform::kFamilyIpv4, v4, out));
    EXPECT_STREQ(out.GetString(), "192.168.0.1");

    struct Case {
        const char* text;
        const char* printed;
    };
    const Case cases[] = {
        {"::", "::"},
        {"::1", "::1"},
        {"::ffff:10.0.0.1", "::ffff:10.0.0.1"},
        {"::10.0.0.1", "::10.0.0.1"},
        {"2001:0db8:0000:0000:0000:ff00:0042:8329", "2001:db8::ff00:42:8329"},
        {"1:0:0:2:0:0:0:3", "1:0:0:2::3"},       // the longer run of zero groups
        {"1:0:0:2:3:0:0:4", "1::2:3:0:0:4"},     // the first of two equal runs
        {"1:0:2:3:4:5:6:7", "1:0:2:3:4:5:6:7"},  // a single zero group is written out
        {"fe80::", "fe80::"},
        {"ABCD:EF01:2345:6789:ABCD:EF01:2345:6789", "abcd:ef01:2345:6789:abcd:ef01:2345:6789"},
    };
    for (const Case& c : cases) {
        unsigned char address[16];
        ASSERT_TRUE(ParseIpv6Text(c.text, address)) << c.text;
        ASSERT_TRUE(FormatAddress(platform::kFamilyIpv6, address, out));
        EXPECT_STREQ(out.GetString(), c.printed) << c.text;
    }
    EXPECT_FALSE(FormatAddress(7, v4, out));
    EXPECT_TRUE(out.IsEmpty());
}
