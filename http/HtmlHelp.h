#pragma once
// HtmlHelp: finds the charset an HTML page names for itself, for the quick GET's body
// conversion when the response header names none. It looks at meta declarations of the kind
// http-equiv Content-Type whose content carries a charset parameter and, failing those, at an
// XML declaration's encoding. All searches ignore the case of ASCII letters.
//
//   StringBuffer name;
//   HtmlHelp::SniffHtmlCharset(body, name);   // "windows-1251", or empty when none is named
//
// The tag helpers are public because the sniffing is built from them:
//   NormalizeHtmlTag("<META HTTP-EQUIV=Content-Type ...>", out)  -> a regular form with quoted
//                                                                   values
//   HtmlTagAttribute(normalized, "content", value)                -> one attribute's value

class StringBuffer;

class HtmlHelp {
public:
    virtual ~HtmlHelp() = default;

    static void SniffHtmlCharset(const StringBuffer& text, StringBuffer& name);
    static void NormalizeHtmlTag(const char* tagText, StringBuffer& normalized);
    static void HtmlTagAttribute(const char* normalized, const char* attributeName,
                                 StringBuffer& value);
};
