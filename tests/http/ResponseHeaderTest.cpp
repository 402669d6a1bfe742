#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ExtPtrArray.h"
#include "core/Logger.h"
#include "core/Memory.h"
#include "core/StringBuffer.h"
#include "http/HttpResponseHeader.h"
#include "http/MimeField.h"
#include "http/MimeHeader.h"

namespace {

std::string Str(const StringBuffer& text) {
    return std::string(text.GetString(), text.GetSize());
}

HttpResponseHeader Parsed(const std::string& block) {
    HttpResponseHeader header;
    header.ParseResponseHeader(block.data(), static_cast<uint32_t>(block.size()));
    return header;
}

// "name=value" for every field, in order.
std::vector<std::string> FieldList(const MimeHeader& fields) {
    std::vector<std::string> list;
    for (uint32_t i = 0; i < fields.Count(); ++i) {
        list.push_back(Str(fields.FieldAt(i)->Name()) + "=" + Str(fields.FieldAt(i)->Value()));
    }
    return list;
}

std::string Field(const HttpResponseHeader& header, const char* name) {
    StringBuffer value;
    return header.GetField(name, value) ? Str(value) : "<none>";
}

std::string LogText(Logger& log) {
    StringBuffer text;
    log.GetAsText(text);
    return text.GetString();
}

}  // namespace

TEST(ResponseHeader, StatusLineAndContentLength) {
    struct Case {
        const char* block;
        int status;
        const char* statusText;
        int64_t contentLength;
        bool hasContentLength;
        std::vector<std::string> fields;
    };
    const std::vector<Case> cases = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 42\r\n\r\n",
         200,
         "OK",
         42,
         true,
         {"Content-Length=42"}},
        {"HTTP/1.0 404 Not Found\r\nServer: x\r\n\r\n", 404, "Not Found", 0, false, {"Server=x"}},
        // An empty reason phrase after the blank, and none at all: the fields are all there.
        {"HTTP/1.1 200 \r\nA: 1\r\nB: 2\r\n\r\n", 200, "", 0, false, {"A=1", "B=2"}},
        {"HTTP/1.1 200\r\nServer: s\r\nContent-Length: 3\r\n\r\n",
         200,
         "",
         3,
         true,
         {"Server=s", "Content-Length=3"}},
        {"HTTP/1.1 200 OK\r\nContent-Length:42\r\n\r\n",
         200,
         "OK",
         42,
         true,
         {"Content-Length=42"}},
        {"HTTP/1.1 200 OK\r\ncontent-length:  5000000000 \r\n\r\n",
         200,
         "OK",
         5000000000LL,
         true,
         {"content-length=5000000000"}},
        {"HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n\r\n",
         200,
         "OK",
         12,
         true,
         {"Content-Length=12abc"}},
        {"HTTP/1.1 200 OK\r\nContent-Length: none\r\n\r\n",
         200,
         "OK",
         0,
         true,
         {"Content-Length=none"}},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n",
         200,
         "OK",
         INT64_MAX,
         true,
         {"Content-Length=99999999999999999999999"}},
        // Not a status line: nothing is taken.
        {"<html><body>hi</body></html>\r\n\r\n", 0, "", 0, false, {}},
        {"http/1.1 200 OK\r\n\r\n", 0, "", 0, false, {}},
        {"HTTP/1.1 OK\r\nA: 1\r\n\r\n", 0, "", 0, false, {}},
        {"HTTP/1.1", 0, "", 0, false, {}},
        {"HTTP/1.1\r\nContent-Length: 5\r\n\r\n", 0, "", 0, false, {}},
        // A status line without CR: the code stands, nothing else is taken.
        {"HTTP/1.1 301 Moved\nLocation: /x\n\n", 301, "", 0, false, {}},
        // Body bytes that came with the header are neither fields nor a content length.
        {"HTTP/1.1 200 OK\r\n\r\nContent-Length: 5\r\nX: y\r\n\r\n", 200, "OK", 0, false, {}},
        {"HTTP/1.1 200 OK\r\nA: 1\r\n\r\nB: 2\r\n", 200, "OK", 0, false, {"A=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        HttpResponseHeader header = Parsed(c.block);
        EXPECT_EQ(header.StatusCode(), c.status);
        EXPECT_EQ(Str(header.StatusText()), c.statusText);
        EXPECT_EQ(header.ContentLength(), c.contentLength);
        EXPECT_EQ(header.HasContentLength(), c.hasContentLength);
        EXPECT_EQ(FieldList(header.Fields()), c.fields);
    }
}

TEST(ResponseHeader, StatusLineIsTheFirstLineWithoutItsLineEnd) {
    EXPECT_EQ(Str(Parsed("HTTP/1.1 302 Found\r\nLocation: /a\r\n\r\n").StatusLine()),
              "HTTP/1.1 302 Found");
    HttpResponseHeader empty;
    empty.ParseResponseHeader(nullptr, 0);
    EXPECT_EQ(empty.StatusCode(), 0);
}

TEST(ResponseHeader, FieldParsingRules) {
    struct Case {
        const char* fieldText;
        std::vector<std::string> fields;
    };
    const std::vector<Case> cases = {
        // A folded line keeps its tab and loses the line break.
        {"X-Long: part one\r\n\tpart two\r\nNext: n\r\n", {"X-Long=part one\tpart two", "Next=n"}},
        // Before an encoded word the folding blanks go.
        {"Subject: a\r\n   =?x?Q?y?=\r\n", {"Subject=a=?x?Q?y?="}},
        // Lines without a colon and mbox "From " lines are skipped; empty lines end nothing.
        {"no colon here\r\nFrom someone\r\nA: 1\r\n", {"A=1"}},
        // Odd characters in names become dashes; values are trimmed.
        {"My Name<x>\"q'\t:   v a l  \r\n", {"My-Name-x--q-=v a l"}},
        // A colon in the value stays; only the first one splits.
        {"Location: http://h:81/p\r\n", {"Location=http://h:81/p"}},
        // A Content-Type replaces the earlier ones, wherever it stands.
        {"Content-Type: text/plain\r\nContent-Type: text/xml\r\nServer: s\r\n",
         {"Content-Type=text/xml", "Server=s"}},
        {"content-type: a\r\nServer: s\r\nContent-Type: b\r\n", {"Server=s", "Content-Type=b"}},
        // The field text ends at the first empty line, in each of its forms.
        {"A: 1\r\n\r\nB: 2\r\n", {"A=1"}},
        {"A: 1\n\r\nB: 2", {"A=1"}},
        {"A: 1\r\n\rB: 2", {"A=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fieldText);
        MimeHeader header;
        LogNull log;
        header.LoadFromText(c.fieldText, static_cast<uint32_t>(strlen(c.fieldText)), log);
        EXPECT_EQ(FieldList(header), c.fields);
    }
}

TEST(ResponseHeader, LookupsTheClientMakes) {
    HttpResponseHeader header = Parsed(
        "HTTP/1.1 200 OK\r\n"
        "Transfer-Encoding: Chunked\r\n"
        "Content-Encoding: GZIP\r\n"
        "Connection: Close\r\n"
        "Content-Type: text/xml; charset=\"UTF-8\"\r\n"
        "Location: http://h/next\r\n"
        "\r\n");
    EXPECT_TRUE(header.IsChunked());
    EXPECT_TRUE(header.IsGzipCoded());
    EXPECT_TRUE(header.ConnectionClose());
    StringBuffer value;
    EXPECT_TRUE(header.GetCharset(value));
    EXPECT_EQ(Str(value), "UTF-8");
    EXPECT_TRUE(header.GetMediaType(value));
    EXPECT_EQ(Str(value), "text/xml");
    EXPECT_TRUE(header.GetLocation(value));
    EXPECT_EQ(Str(value), "http://h/next");
    EXPECT_EQ(Field(header, "location"), "http://h/next");
    EXPECT_EQ(Field(header, "LOCATION"), "http://h/next");
    EXPECT_EQ(Field(header, "Referer"), "<none>");

    HttpResponseHeader plain = Parsed(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\nConnection: keep-alive\r\n"
        "Content-Type: text/html\r\n\r\n");
    EXPECT_FALSE(plain.IsChunked());
    EXPECT_FALSE(plain.IsGzipCoded());
    EXPECT_FALSE(plain.ConnectionClose());
    EXPECT_FALSE(plain.GetCharset(value));
    EXPECT_TRUE(plain.GetMediaType(value));
    EXPECT_EQ(Str(value), "text/html");
}

TEST(ResponseHeader, CharsetAttributeForms) {
    struct Case {
        const char* contentType;
        const char* charset;  // null: none
    };
    const std::vector<Case> cases = {
        {"text/xml; charset=\"UTF-8\"", "UTF-8"},
        {"text/xml;charset=iso-8859-1", "iso-8859-1"},
        {"text/html; CHARSET =  \"windows-1252\" ; q=1", "windows-1252"},
        {"text/plain; format=flowed; charset=koi8-r", "koi8-r"},
        {"text/plain; charsetx=a", nullptr},
        {"text/plain; charset", nullptr},
        {"text/plain", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contentType);
        HttpResponseHeader header =
            Parsed(std::string("HTTP/1.1 200 OK\r\nContent-Type: ") + c.contentType + "\r\n\r\n");
        StringBuffer charset;
        EXPECT_EQ(header.GetCharset(charset), c.charset != nullptr);
        EXPECT_EQ(Str(charset), c.charset ? c.charset : "");
    }
}

TEST(ResponseHeader, ChallengesMatchOnlyTheWholeValue) {
    HttpResponseHeader header = Parsed(
        "HTTP/1.1 401 Unauthorized\r\n"
        "WWW-Authenticate: Basic realm=\"x\"\r\n"
        "WWW-Authenticate: NTLM realm=y\r\n"
        "www-authenticate: negotiate\r\n"
        "Proxy-Authenticate: ntlm\r\n"
        "\r\n");
    EXPECT_TRUE(header.OffersAuthScheme("Negotiate"));
    EXPECT_FALSE(header.OffersAuthScheme("NTLM"));
    EXPECT_TRUE(header.ProxyOffersNtlm());
    EXPECT_TRUE(header.FieldMatches("WWW-Authenticate", "ntlm *"));
    EXPECT_TRUE(header.FieldMatches("WWW-Authenticate", "*realm=*"));
    EXPECT_FALSE(header.FieldMatches("WWW-Authenticate", "Basic"));
    EXPECT_FALSE(
        Parsed("HTTP/1.1 407 P\r\nProxy-Authenticate: NTLM abc\r\n\r\n").ProxyOffersNtlm());
}

TEST(ResponseHeader, WildcardPatterns) {
    struct Case {
        const char* value;
        const char* pattern;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"abc", "abc", true},
        {"abc", "ABC", true},
        {"abc", "ab", false},
        {"abc", "*", true},
        {"", "*", true},
        {"", "", true},
        {"abc", "", false},
        {"abc", "a*c", true},
        {"abcbc", "a*bc", true},
        {"abcb", "a*bc", false},
        {"aaaa", "*a*a*a*a*", true},
        {"aaa", "*a*a*a*a*", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " ~ " + c.pattern);
        MimeHeader header;
        header.AddField("X", c.value);
        EXPECT_EQ(header.FieldMatches("x", c.pattern), c.matches);
    }
}

TEST(ResponseHeader, CookieFieldsInArrivalOrder) {
    HttpResponseHeader header = Parsed(
        "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nServer: s\r\nset-cookie2: b=2\r\n"
        "Set-Cookie: c=3; Path=/\r\nSet-Cookies: no\r\n\r\n");
    ExtPtrArray values;
    values.SetOwnsItems(true);
    header.CollectCookieValues(values);
    ASSERT_EQ(values.Count(), 3u);
    EXPECT_EQ(Str(*values.ItemAs<StringBuffer>(0)), "a=1");
    EXPECT_EQ(Str(*values.ItemAs<StringBuffer>(1)), "b=2");
    EXPECT_EQ(Str(*values.ItemAs<StringBuffer>(2)), "c=3; Path=/");
}

TEST(ResponseHeader, HeaderlessAndCopy) {
    HttpResponseHeader header = Parsed("HTTP/1.1 302 Found\r\nContent-Length: 7\r\nA: b\r\n\r\n");
    HttpResponseHeader copy;
    copy.Copy(header);
    EXPECT_EQ(copy.StatusCode(), 302);
    EXPECT_EQ(Str(copy.StatusText()), "Found");
    EXPECT_EQ(copy.ContentLength(), 7);
    EXPECT_EQ(FieldList(copy.Fields()), FieldList(header.Fields()));

    header.MarkHeaderless();
    EXPECT_EQ(header.StatusCode(), 200);
    EXPECT_EQ(Str(header.StatusText()), "");
    EXPECT_EQ(header.Fields().Count(), 0u);
    EXPECT_EQ(header.ContentLength(), 0);
    EXPECT_FALSE(header.HasContentLength());
    EXPECT_EQ(copy.Fields().Count(), 2u);  // the copy is its own
}

TEST(ResponseHeader, MemoryExhaustionKeepsTheFieldsParsedBefore) {
    const std::string block = "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n";
    const std::vector<std::string> all = {"A=1", "B=2", "C=3", "D=4"};
    bool sawShortParse = false;
    for (long succeeding = 0; succeeding < 40; ++succeeding) {
        MimeHeader header;
        Logger log;
        {
            ScopedAllocationFailure failure(succeeding, 1);
            header.LoadFromText(block.data(), static_cast<uint32_t>(block.size()), log);
        }
        std::vector<std::string> got = FieldList(header);
        ASSERT_LE(got.size(), all.size());
        EXPECT_EQ(got, std::vector<std::string>(all.begin(), all.begin() + got.size()));
        if (got.size() < all.size()) {
            sawShortParse = true;
            const std::string text = LogText(log);
            EXPECT_TRUE(text.find("Out of memory allocating MimeField.") != std::string::npos ||
                        text.find("Out-of-memory for MimeField") != std::string::npos)
                << text;
        }
    }
    EXPECT_TRUE(sawShortParse);
}

TEST(ResponseHeader, FieldTextInOtherCharsetsBecomesUtf8) {
    struct Case {
        const char* name;
        std::string fieldText;
        uint32_t codePage;
        std::vector<std::string> fields;
    };
    const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // UTF-8
    const std::string konnichiwa =
        "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF";  // UTF-8
    const std::vector<Case> cases = {
        {"ASCII is left alone", "A: 1\r\n", 0, {"A=1"}},
        {"a charset the text names",
         "Content-Type: text/html; charset=windows-1251\r\nX-Name: \xCF\xF0\xE8\xE2\xE5\xF2\r\n",
         1251,
         {"Content-Type=text/html; charset=windows-1251", "X-Name=" + privet}},
        {"koi8-r named",
         "X-Charset: koi8-r\r\nX-Name: \xF0\xD2\xC9\xD7\xC5\xD4\r\n",
         20866,
         {"X-Charset=koi8-r", "X-Name=" + privet}},
        {"a charset named without its number: the first of its family that fits",
         "X-Charset: iso-8859\r\nX: \xB1\r\n",
         28592,
         {"X-Charset=iso-8859", "X=\xC4\x85"}},
        {"a multi-byte charset named",
         "X-Charset: GB2312\r\nX: \xC4\xE3\xBA\xC3\r\n",
         936,
         {"X-Charset=GB2312", "X=\xE4\xBD\xA0\xE5\xA5\xBD"}},
        {"UTF-8 by its lead bytes", "X-Name: caf\xC3\xA9\r\n", 65001, {"X-Name=caf\xC3\xA9"}},
        {"the ANSI code page otherwise", "X-Name: caf\xE9\r\n", 1252, {"X-Name=caf\xC3\xA9"}},
        {"ISO-2022-JP escapes",
         "Subject: \x1B$B$3$s$K$A$O\x1B(B\r\n",
         65001,
         {"Subject=" + konnichiwa}},
        {"encoded words",
         "Subject: =?utf-8?B?Y2Fmw6k=?= =?ISO-8859-1?q?_et_th=E9?= !\r\n",
         65001,
         {"Subject=caf\xC3\xA9 et th\xC3\xA9 !"}},
        {"a value is trimmed also after decoding", "S: x =?utf-8?Q?_?=\r\n", 65001, {"S=x"}},
        {"an encoded word next to plain text keeps its blank",
         "S: x =?utf-8?Q?a?= b\r\n",
         65001,
         {"S=x a b"}},
        {"words that cannot be decoded stay",
         "S: =?no-such-charset?Q?a?= =?utf-8?Q?bad=?= =?utf-8?X?c?=\r\n",
         0,
         {"S==?no-such-charset?Q?a?= =?utf-8?Q?bad=?= =?utf-8?X?c?="}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MimeHeader header;
        LogNull log;
        header.LoadFromText(c.fieldText.data(), static_cast<uint32_t>(c.fieldText.size()), log);
        EXPECT_EQ(header.CodePage(), c.codePage);
        EXPECT_EQ(FieldList(header), c.fields);
    }
}
