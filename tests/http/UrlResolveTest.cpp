#include <gtest/gtest.h>

#include "core/StringBuffer.h"
#include "http/UrlResolve.h"

namespace {

struct Case {
    const char* first;
    const char* second;
    const char* expected;
};

}  // namespace

TEST(ResolveLocation, BuildsRedirectTargets) {
    const Case cases[] = {
        // absolute locations
        {"http://a/x", "http://b/y", "http://b/y"},
        {"http://a/x", "https://b/y", "https://b/y"},
        {"http://a/x", "HTTP://b/y",
         "HTTP://b/y"},  // relative branch, scheme compared without case
        {"http://a/x", " Https://b/y ", "Https://b/y"},
        // root-relative
        {"http://h:81/a/x", "/b/c", "http://h:81/b/c"},
        {"http://h", "/b/c", "http://h/b/c"},
        {"https://h/a?q=1", "/b", "https://h/b"},
        {"h/a/x", "/b/c", ""},  // no "//": nothing to build on
        {"http:/h/a", "/b", ""},
        // relative
        {"https://h:443/a/b.xml?q=1", "c.xml", "https://h/a/c.xml"},
        {"https://h:8443/a/b.xml", "c.xml", "https://h:8443/a/c.xml"},
        {"http://h:80/a/b", "c?x=1#f", "http://h/a/c?x=1#f"},
        {"http://H:81/a/b", "c", "http://h:81/a/c"},
        {"http://h/a/b/x", "../c", "http://h/a/c"},
        {"http://h/a/b/x", "./c", "http://h/a/b/c"},
        {"http://h/a/x", "../../c", "http://h/c"},
        {"http://u:p@h/news/feed.xml", "other.xml", "http://h/news/other.xml"},
        {"http://h/news/feed.xml", "  ", "http://h/news/feed.xml"},
        {"", "next/feed.xml", "next/feed.xml"},
    };
    for (const Case& c : cases) {
        StringBuffer out("stale");
        ResolveLocation(c.first, c.second, out);
        EXPECT_STREQ(out.GetString(), c.expected) << c.first << " + " << c.second;
    }
}

TEST(MergeRelativePath, ReplacesTheLastSegment) {
    const Case cases[] = {
        {"/news/feed.xml", "other.xml", "/news/other.xml"},
        {"/news/", "other.xml", "/news/other.xml"},
        {"/", "///x", "/x"},
        {"/a/b", "", "/a/"},
        {"nopath", "x", "/x"},
    };
    for (const Case& c : cases) {
        StringBuffer out;
        MergeRelativePath(c.first, c.second, out);
        EXPECT_STREQ(out.GetString(), c.expected) << c.first << " + " << c.second;
    }
}

TEST(NormalizeDotSegments, RemovesDotAndDotDotSegments) {
    const Case cases[] = {
        {"http://h/a/./b", nullptr, "http://h/a/b"},
        {"http://h/a/././b", nullptr, "http://h/a/b"},
        {"http://h/a/../b", nullptr, "http://h/b"},
        {"http://h/a/b/../../c", nullptr, "http://h/c"},
        {"http://h/../x", nullptr, "http://h/x"},  // nothing above the authority
        {"http://h/a/../../../x", nullptr, "http://h/x"},
        {"/../x", nullptr, "/../x"},  // at the very beginning: left alone
        {"a/../b", nullptr, "/b"},
        {"http://h/a/b", nullptr, "http://h/a/b"},
    };
    for (const Case& c : cases) {
        StringBuffer out;
        NormalizeDotSegments(c.first, out);
        EXPECT_STREQ(out.GetString(), c.expected) << c.first;
    }
}

TEST(NormalizeDotSegments, GivesUpClimbingAfterAHundredLevels) {
    std::string url = "http://h";
    for (int i = 0; i < 150; ++i) {
        url += "/d";
    }
    for (int i = 0; i < 120; ++i) {
        url += "/..";
    }
    url += "/x";
    StringBuffer out;
    NormalizeDotSegments(url.c_str(), out);
    // 100 levels are climbed; the remaining "/../" are folded into single slashes.
    std::string expected = "http://h";
    for (int i = 0; i < 50; ++i) {
        expected += "/d";
    }
    expected += "/x";
    EXPECT_STREQ(out.GetString(), expected.c_str());
}
