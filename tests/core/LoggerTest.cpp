#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "core/LogEntry2.h"
#include "core/Logger.h"
#include "core/StringBuffer.h"
#include "platform/Clock.h"
#include "tests/support/TestSupport.h"

namespace {

std::string Xml(Logger& log) {
    StringBuffer out("stale text that must be cleared");
    log.GetAsXml(out);
    return out.GetString();
}
std::string Text(Logger& log) {
    StringBuffer out;
    log.GetAsText(out);
    return out.GetString();
}
std::string Html(Logger& log) {
    StringBuffer out;
    log.GetAsHtml(out);
    return out.GetString();
}

}  // namespace

TEST(Logger, StartsWithTheRootContextOnly) {
    Logger log;
    EXPECT_EQ(Xml(log), "<QuorvelLog>\r\n</QuorvelLog>\r\n");
    EXPECT_EQ(Text(log), "QuorvelLog:\r\n");
}

TEST(Logger, DataTagsAreCleanedAndAbsentValuesShown) {
    Logger log;
    EXPECT_TRUE(log.AddData("  read timeout value ", "20"));
    EXPECT_FALSE(log.AddData(" \t ", "x"));
    EXPECT_FALSE(log.AddData(nullptr, "x"));
    EXPECT_TRUE(log.AddData("host", nullptr));
    log.AddDataInt("n", -5);
    log.AddDataInt64("big", 9000000000LL);
    log.AddDataHex("flags", 0xBEEF);
    log.AddError(nullptr);  // writes nothing
    EXPECT_EQ(Xml(log),
              "<QuorvelLog>\r\n"
              "<read_timeout_value>20</read_timeout_value>\r\n"
              "<host>(NULL)</host>\r\n"
              "<n>-5</n>\r\n"
              "<big>9000000000</big>\r\n"
              "<flags>0xbeef</flags>\r\n"
              "</QuorvelLog>\r\n");
}

TEST(Logger, XmlWrapsSpecialTextsInCdata) {
    struct Case {
        const char* value;
        const char* rendered;
    };
    const Case cases[] = {
        {"a<b", "<![CDATA[a<b]]>"},
        {"a&b", "<![CDATA[a&b]]>"},
        {"line\nbreak", "<![CDATA[line\nbreak]]>"},
        {"tab\there", "<![CDATA[tab\there]]>"},
        {"plain \"quoted\"", "plain \"quoted\""},
        {"<![CDATA[<x>]]>", "<![CDATA[<x>]]>"},
        {"<![CDATA[ only opened <", "<![CDATA[<![CDATA[ only opened <]]>"},
    };
    for (const Case& c : cases) {
        Logger log;
        log.AddData("v", c.value);
        EXPECT_EQ(Xml(log), std::string("<QuorvelLog>\r\n<v>") + c.rendered + "</v>\r\n</QuorvelLog>\r\n")
            << c.value;
    }
    Logger log;
    log.AddError("bad <thing>");
    log.AddInfo("fine");
    log.AddRaw("<raw/>");
    EXPECT_EQ(Xml(log),
              "<QuorvelLog>\r\n<error><![CDATA[bad <thing>]]></error>\r\n<info>fine</info>\r\n"
              "<raw/>\r\n</QuorvelLog>\r\n");
}

TEST(Logger, EmptyInnerContextsVanishButTheMethodContextStays) {
    Logger log;
    log.OpenContext("Method");
    log.OpenContext("QuietStep");
    log.CloseContext();
    log.OpenContext("Step");
    log.AddInfo("did something");
    log.OpenContext("Inner");
    log.CloseContext();
    log.CloseContext();
    log.CloseContext();
    EXPECT_EQ(Xml(log),
              "<QuorvelLog>\r\n<Method>\r\n<Step>\r\n<info>did something</info>\r\n</Step>\r\n"
              "</Method>\r\n</QuorvelLog>\r\n");

    Logger empty;
    empty.OpenContext("Method");
    empty.CloseContext();
    EXPECT_EQ(Xml(empty), "<QuorvelLog>\r\n<Method>\r\n</Method>\r\n</QuorvelLog>\r\n");
}

TEST(Logger, ExtraClosesKeepTheRoot) {
    Logger log;
    log.CloseContext();
    log.CloseContext();
    log.AddInfo("still here");
    EXPECT_EQ(log.Tree().OpenContextCount(), 1u);
    EXPECT_EQ(Xml(log), "<QuorvelLog>\r\n<info>still here</info>\r\n</QuorvelLog>\r\n");
}

TEST(Logger, TextRenderingOfANestedCall) {
    Logger log;
    log.OpenContext("DownloadRss");
    log.AddData("url", "http://example.com/feed.xml");
    log.OpenContext("HttpGet");
    log.AddData("status", "404");
    log.CloseContext();
    log.AddError("Failed.");
    log.CloseContext();
    EXPECT_EQ(Text(log),
              "QuorvelLog:\r\n"
              "  DownloadRss:\r\n"
              "    url: http://example.com/feed.xml\r\n"
              "    HttpGet:\r\n"
              "      status: 404\r\n"
              "    Failed.\r\n");
}

TEST(Logger, HtmlRenderingEscapesValuesNotTags) {
    Logger log;
    log.OpenContext("Get");
    log.AddData("q", "a<b & \"c\">");
    log.AddError("x>y");
    log.CloseContext();
    EXPECT_EQ(Html(log),
              "QuorvelLog:<blockquote>\r\n"
              "Get:<blockquote>\r\n"
              "q: a&lt;b &amp; &quot;c&quot;&gt;<br>\r\n"
              "x&gt;y<br>\r\n"
              "</blockquote>\r\n<br>\r\n"
              "</blockquote>\r\n<br>\r\n");
}

TEST(Logger, ResetStartsAFreshTree) {
    Logger log;
    log.OpenContext("A");
    log.AddInfo("x");
    log.ResetLog();
    EXPECT_EQ(Xml(log), "<QuorvelLog>\r\n</QuorvelLog>\r\n");
    EXPECT_EQ(log.Tree().OpenContextCount(), 1u);
}

TEST(Logger, DeepNestingRendersAndDiesWithoutRecursion) {
    Logger log;
    for (int i = 0; i < 200000; ++i) {
        log.OpenContext("c");
    }
    log.AddInfo("bottom");
    StringBuffer out;
    log.GetAsXml(out);
    EXPECT_TRUE(out.Contains("<c>\r\n<info>bottom</info>\r\n</c>\r\n"));
    EXPECT_TRUE(out.EndsWith("</c>\r\n</QuorvelLog>\r\n"));
    log.ResetLog();
}

TEST(Logger, ExtraOperationsOnTopOfTheVirtualOnes) {
    Logger log;
    const unsigned char bytes[3] = {0xDE, 0xAD, 0x01};
    log.LogDataHex("key", bytes, 3);
    log.LogDataHex("none", nullptr, 0);
    log.LogSystemErrorCode(0);
    log.LogSystemErrorCode(2);
    log.LogElapsedMs("t", platform::TickCount());
    log.LogElapsedMs("future", platform::TickCount() + 100000);
    const std::string xml = Xml(log);
    EXPECT_NE(xml.find("<key>DEAD 01</key>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<error>No binary data to log</error>"), std::string::npos);
    EXPECT_NE(xml.find("<WindowsError>No such file or directory</WindowsError>"), std::string::npos);
    EXPECT_NE(xml.find("<t>Elapsed time: 0 millisec</t>"), std::string::npos);
    EXPECT_EQ(xml.find("future"), std::string::npos);
}

TEST(Logger, WriteLogFileWritesTheXml) {
    testsupport::TempFolder dir;
    Logger log;
    log.AddInfo("saved");
    ASSERT_TRUE(log.WriteLogFile(false, (dir / "log.xml").c_str()));
    EXPECT_EQ(testsupport::ReadFileBytes(dir / "log.xml"),
              "<QuorvelLog>\r\n<info>saved</info>\r\n</QuorvelLog>\r\n");
    EXPECT_FALSE(log.WriteLogFile(false, (dir / "no/such/folder.xml").c_str()));
}

TEST(Logger, SeveralThreadsWriteToOneLog) {
    Logger log;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&log] {
            for (int i = 0; i < 1000; ++i) {
                log.AddDataInt("i", i);
            }
        });
    }
    for (auto& w : writers) {
        w.join();
    }
    EXPECT_EQ(log.Tree().Root()->ChildCount(), 4000u);
}

TEST(LogNull, KeepsNothingAndReportsSuccess) {
    LogNull log;
    LogBase& base = log;
    EXPECT_TRUE(base.AddError("x"));
    EXPECT_TRUE(base.OpenContext("c"));
    EXPECT_TRUE(base.AddData("t", "v"));
    StringBuffer out("unchanged");
    base.GetAsXml(out);
    EXPECT_STREQ(out.GetString(), "unchanged");
}
