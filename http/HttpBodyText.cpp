#include "http/HttpBodyText.h"

#include <algorithm>

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/StringBuffer.h"
#include "encoding/CharsetRegistry.h"
#include "encoding/EncodingConvert.h"
#include "http/HtmlHelp.h"
#include "http/HttpResponseHeader.h"

namespace {

constexpr int kUtf8 = 65001;
constexpr int kUsAscii = 20127;

bool HasHighByte(const DataBuffer& body) {
    const unsigned char* bytes = body.GetData();
    return std::any_of(bytes, bytes + body.GetSize(), [](unsigned char b) { return b >= 0x80; });
}

bool BeginsWithUtf8Mark(const DataBuffer& body) {
    const unsigned char* bytes = body.GetData();
    return body.GetSize() > 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

void ChooseCharset(const DataBuffer& body, const HttpResponseHeader& header, StringBuffer& charset,
                   LogBase& log) {
    charset.Clear();
    if (header.GetCharset(charset) && !charset.IsEmpty()) {
        log.AddData("ResponseHdrCharset", charset.GetString());
    } else {
        charset.Clear();
        StringBuffer contentType;
        header.GetField("content-type", contentType);
        if (contentType.ContainsNoCase("text/html") && HasHighByte(body)) {
            const StringBuffer page(reinterpret_cast<const char*>(body.GetData()), body.GetSize());
            HtmlHelp::SniffHtmlCharset(page, charset);
            if (!charset.IsEmpty()) {
                log.AddData("HtmlCharset", charset.GetString());
            }
        }
    }
    if (BeginsWithUtf8Mark(body)) {
        log.AddInfo("Response begins with utf-8 preamble.");
        charset.SetString("utf-8");
    }
    if (charset.IsEmpty()) {
        log.AddInfo("No charset specified, assuming Windows-1252");
        charset.SetString("windows-1252");
    }
}

// Appends the bytes to the text, each NUL as a blank. An empty text takes the bytes' storage
// over instead of copying them, which matters for bodies of many megabytes.
void AppendAsText(DataBuffer& bytes, StringBuffer& text) {
    bytes.ReplaceByte(0, ' ');
    if (text.IsEmpty() && bytes.GetSize() != 0 && bytes.AppendByte(0)) {
        bytes.Shorten(1);  // the terminating NUL stays behind the text
        const uint32_t length = bytes.GetSize();
        const uint32_t capacity = bytes.GetCapacity();
        if (char* block = reinterpret_cast<char*>(bytes.TakeStorage())) {
            text.AdoptBlock(block, length, capacity);
            return;
        }
    }
    text.Append(bytes);
}

}  // namespace

void ResponseBodyToUtf8(DataBuffer& body, const HttpResponseHeader& header, StringBuffer& text,
                        LogBase& log) {
    StringBuffer charset;
    ChooseCharset(body, header, charset, log);
    const int codePage = CodePageOfName(charset.GetString());
    if (codePage == kUtf8 || codePage == kUsAscii) {
        AppendAsText(body, text);
        return;
    }
    log.AddInfo("Converting to utf-8 charset.");
    log.AddDataInt("ConvertFromCodePage", codePage);
    DataBuffer converted;
    EncodingConvert converter;
    converter.Convert(codePage, kUtf8, body.GetData(), body.GetSize(), converted);
    AppendAsText(converted.GetSize() != 0 ? converted : body, text);
}
