#pragma once
// ErrorLog: the tree behind a Logger. A stack of open contexts points into the tree; its bottom
// is the root context "QuorvelLog", which owns everything, and its top receives new entries.
//
// Renderings, from the root:
//   XML   context "<tag>\r\n" children "</tag>\r\n"; error "<error>text</error>\r\n";
//         information "<info>text</info>\r\n"; data "<tag>value</tag>\r\n"; raw "text\r\n".
//         A text holding a line feed, tab, "&", "<" or ">" is wrapped in CDATA unless it already
//         holds both "<![CDATA[" and "]]>"; nothing else is escaped.
//   text  one entry a line, indented two blanks a level below the root: "tag:" for a context,
//         "tag: value" for data, the text for the other kinds.
//   HTML  "tag:<blockquote>\r\n" children "</blockquote>\r\n", "tag: value", the text; each
//         followed by "<br>\r\n"; values and texts HTML-escaped.

#include <cstdint>

#include "core/ExtPtrArray.h"

class LogEntry2;
class StringBuffer;

class ErrorLog {
public:
    ErrorLog();
    ~ErrorLog();
    ErrorLog(const ErrorLog&) = delete;
    ErrorLog& operator=(const ErrorLog&) = delete;

    void ResetLog();
    void OpenContext(const char* name);
    void CloseContext();
    void AddMessage(char kind, const char* text);  // 'E', 'I' or 'X'; null text writes nothing
    bool AddData(const char* tag, const char* value);

    void GetAsXml(StringBuffer& out) const;
    void GetAsText(StringBuffer& out) const;
    void GetAsHtml(StringBuffer& out) const;

    const LogEntry2* Root() const;
    uint32_t OpenContextCount() const { return stack_.Count(); }

private:
    LogEntry2* Top() const;
    void AddEntry(LogEntry2* entry);

    LogEntry2* root_ = nullptr;
    ExtPtrArray stack_;  // the open contexts, root first; points into the tree, owns nothing
};
