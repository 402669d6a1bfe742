// The file road: byte-order marks, the declared encoding, LoadXml's file-name branch and
// SaveXml in the declared encoding. The C library's iconv makes the non-UTF-8 fixtures and
// reads the saved files back.
#include <gtest/gtest.h>
#include <iconv.h>

#include <memory>
#include <string>

#include "XmlTestSupport.h"
#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "tests/support/TestSupport.h"
#include "xml/ClsXml.h"
#include "xml/TreeInfo.h"
#include "xml/TreeNode.h"
#include "xml/XmlDeclaration.h"
#include "xml/XmlEncodingDetection.h"

using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;
using xmltest::LogText;

namespace {

// The bytes of `text` converted by iconv; empty when iconv cannot.
std::string Iconv(const std::string& text, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return "";
    }
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* at = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &in, &inLeft, &at, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) {
        return "";
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::string Content(ClsXml& xml, const char* tag) {
    StringBuffer out;
    xml.ChildContentByTag(tag, out);
    return xmltest::Text(out);
}

std::string Declared(ClsXml& xml) {
    StringBuffer encoding;
    return DeclaredEncoding(*xml.CurrentNode()->Info(), encoding) ? xmltest::Text(encoding) : "<none>";
}

class XmlFile : public testing::Test {
protected:
    // Loads `bytes` from a file; the handle must stand on a root whose "t" child is compared.
    bool Load(const std::string& bytes) {
        WriteFileBytes(path_, bytes);
        return xml_.LoadXmlFile(path_.c_str(), true);
    }

    TempFolder folder_;
    std::string path_ = folder_ / "doc.xml";
    ClsXml xml_;
};

const std::string kCyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // a greeting

TEST_F(XmlFile, Utf16WithAByteOrderMarkThenDeclaresUtf8) {
    const std::string body = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><r><t>caf\xC3\xA9 " + kCyrillic + "</t></r>";
    for (const char* form : {"UTF-16LE", "UTF-16BE"}) {
        const std::string mark = std::string(form) == "UTF-16LE" ? "\xFF\xFE" : "\xFE\xFF";
        ASSERT_TRUE(Load(mark + Iconv(body, "UTF-8", form))) << form;
        EXPECT_EQ(Content(xml_, "t"), "caf\xC3\xA9 " + kCyrillic) << form;
        EXPECT_EQ(Declared(xml_), "utf-8") << form;
    }
}

TEST_F(XmlFile, DeclaredCharsetsAreConvertedFrom) {
    struct Case {
        const char* declaration;
        const char* charset;  // iconv's name for the file's bytes
        std::string text;
    };
    const Case cases[] = {
        {"<?xml version=\"1.0\" encoding = \"ISO-8859-1\"?>", "ISO-8859-1", "caf\xC3\xA9"},
        {"<?xml version='1.0' encoding='windows-1251' standalone=\"yes\"?>", "CP1251", kCyrillic},
        {"<?XML VERSION=\"1.0\" ENCODING=\"KOI8-R\"?>", "KOI8-R", kCyrillic},
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", "SHIFT_JIS", "\xE6\x97\xA5\xE6\x9C\xAC"},
    };
    for (const Case& c : cases) {
        const std::string file = Iconv(std::string(c.declaration) + "<r><t>" + c.text + "</t></r>", "UTF-8", c.charset);
        ASSERT_FALSE(file.empty()) << c.charset;
        ASSERT_TRUE(Load(file)) << c.charset;
        EXPECT_EQ(Content(xml_, "t"), c.text) << c.charset;
    }
    EXPECT_EQ(Declared(xml_), "Shift_JIS") << "the declaration keeps the name as written";
}

TEST(XmlEncodingDetection, BytesStayAsTheyAreWhenNothingSaysOtherwise) {
    const std::string declared = "<?xml version=\"1.0\" encoding=";
    struct Case {
        std::string file;
        std::string expected;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF" + declared + "\"ISO-8859-1\"?><r>\xC3\xA9</r>", declared + "\"ISO-8859-1\"?><r>\xC3\xA9</r>"},
        {declared + "\"no-such-charset\"?><r>\xE9</r>", declared + "\"no-such-charset\"?><r>\xE9</r>"},
        {declared + "\"\"?><r>\xE9</r>", declared + "\"\"?><r>\xE9</r>"},
        {declared + "\"ISO-8859-1?><r>\xE9</r>", declared + "\"ISO-8859-1?><r>\xE9</r>"},
        {declared + "'utf-8'?><r>\xC3\xA9</r>", declared + "'utf-8'?><r>\xC3\xA9</r>"},
        {"<r>\xE9</r>", "<r>\xE9</r>"},
    };
    for (const Case& c : cases) {
        DataBuffer bytes;
        bytes.Append(c.file.data(), static_cast<uint32_t>(c.file.size()));
        LogNull log;
        ASSERT_TRUE(ConvertToUtf8ForParse(bytes, log));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize()), c.expected) << c.file;
    }
    DataBuffer empty;
    LogNull log;
    EXPECT_FALSE(ConvertToUtf8ForParse(empty, log)) << "no bytes at all";
}

TEST_F(XmlFile, LoadXmlTakesAShortXmlNameForAFile) {
    WriteFileBytes(folder_ / "feed.XML", "<rss><channel><title>from the file</title></channel></rss>");
    const std::string name = " " + folder_.Path() + "/feed.XML ";
    ASSERT_LT(name.size(), 100u);
    ASSERT_TRUE(xml_.LoadXml(name.c_str(), true));
    std::unique_ptr<ClsXml> channel(xml_.ChildByTag("channel", 0));
    ASSERT_TRUE(channel);
    EXPECT_EQ(Content(*channel, "title"), "from the file");
    EXPECT_EQ(LogText(xml_.GetLog()),
              "QuorvelLog:\r\n  LoadXmlFile:\r\n    filename: " + name + "\r\n    Success.\r\n");
    EXPECT_FALSE(xml_.LoadXml((folder_.Path() + "/" + std::string(100, 'x') + ".xml").c_str(), true))
        << "a long text is parsed as a document";
    EXPECT_STREQ(xml_.CurrentNode()->TagText(), "rss");
}

TEST_F(XmlFile, AFileThatCannotBeLoadedKeepsTheOldTree) {
    ASSERT_TRUE(xml_.LoadXml("<old/>", true));
    EXPECT_FALSE(xml_.LoadXmlFile((folder_ / "missing.xml").c_str(), true));
    EXPECT_EQ(LogText(xml_.GetLog()),
              "QuorvelLog:\r\n  LoadXmlFile:\r\n    filename: " + (folder_ / "missing.xml") + "\r\n    Failed.\r\n");
    EXPECT_FALSE(Load(""));
    EXPECT_FALSE(Load("no element"));
    EXPECT_FALSE(Load("\xFF\xFE"));  // UTF-16 with nothing after the mark
    EXPECT_STREQ(xml_.CurrentNode()->TagText(), "old");
}

TEST_F(XmlFile, SaveXmlWritesTheDeclaredEncoding) {
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><t>caf\xE9</t></r>";
    ASSERT_TRUE(Load(latin1));
    const std::string saved = folder_ / "saved.xml";
    ASSERT_TRUE(xml_.SaveXml(saved.c_str()));
    const std::string bytes = ReadFileBytes(saved);
    EXPECT_EQ(bytes, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n\r\n<r>\r\n  <t>caf\xE9</t>\r\n</r>\r\n");
    EXPECT_EQ(Iconv(bytes, "ISO-8859-1", "UTF-8").find("caf\xC3\xA9"), bytes.find("caf"));

    ClsXml plain;
    ASSERT_TRUE(plain.LoadXml("<r>\xC3\xA9</r>", true));
    ASSERT_TRUE(plain.SaveXml(saved.c_str()));
    EXPECT_EQ(ReadFileBytes(saved), "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n\r\n<r>\xC3\xA9</r>\r\n")
        << "a document without a declaration is saved as UTF-8 and says so";
}

TEST_F(XmlFile, SaveXmlRefusesWhatItCannotWrite) {
    WriteFileBytes(folder_ / "keep.xml", "precious");
    ASSERT_TRUE(Load("<?xml version=\"1.0\" encoding=\"no-such-charset\"?><r>x</r>"));
    EXPECT_FALSE(xml_.SaveXml((folder_ / "keep.xml").c_str()));
    EXPECT_EQ(ReadFileBytes(folder_ / "keep.xml"), "precious") << "the file is not replaced by nothing";
    EXPECT_NE(LogText(xml_.GetLog()).find("Cannot convert to the declared encoding"), std::string::npos);

    ClsXml other;
    ClsXml empty;
    empty.TakeTree(other);
    EXPECT_FALSE(other.SaveXml((folder_ / "x.xml").c_str()));
    EXPECT_EQ(LogText(other.GetLog()), "QuorvelLog:\r\n  SaveXml:\r\n    null tree\r\n");
    EXPECT_FALSE(empty.SaveXml((folder_ / "no-such-folder/x.xml").c_str()));
}

}  // namespace
