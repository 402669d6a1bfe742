#pragma once
// MimeHeader: an ordered list of header fields (MimeField), as a response header, a request's
// extra fields or a parsed challenge holds them. Names are compared without regard to letter case
// everywhere; the first field with a name wins unless an operation says otherwise.
//
//   MimeHeader h;
//   h.LoadFromText(block, size, log);           // parse "Name: value\r\n..." up to the empty line
//   h.GetField("content-type", value);          // first value of that name
//   h.GetFieldAttribute("Content-Type", "charset", charset);
//   h.FieldEquals("WWW-Authenticate", "NTLM");  // some field's whole value, any letter case
//   h.FieldMatches("Proxy-Authenticate", "NTLM*");
//
// Parsing rules (LoadFromText):
// - The field text ends at the first "\r\n\r\n" (else "\n\r\n", else "\r\n\r", else it is all
//   of the text). It is split at CR LF; empty lines and lines starting "From " are skipped; a
//   line starting with a blank or a tab continues the previous field without a line break.
// - A field is cut at its first ":"; a text without ":" is dropped. The name is trimmed and
//   each of blank, "<", ">", '"' and "'" in it becomes "-". The value is trimmed.
// - The field text is turned into UTF-8 when it is not ASCII: see MimeCharset.h for how its
//   code page is found (CodePage() tells it afterwards); RFC 2047 encoded words in values are
//   decoded.
// - A "Content-Type" field replaces every earlier one, so a header has at most one.
// - Allocation failures are logged ("Out of memory allocating MimeField." or
//   "Out-of-memory for MimeField") and stop the parse; the fields parsed before stay.

#include <cstdint>

#include "core/ExtPtrArray.h"
#include "core/QuorvelObject.h"

class LogBase;
class MimeField;
class StringBuffer;

class MimeHeader : public QuorvelObject {
public:
    MimeHeader();
    ~MimeHeader() override;
    MimeHeader(const MimeHeader& other);  // a deep copy (fields that cannot be copied are left out)
    MimeHeader& operator=(const MimeHeader& other);

    void Clear();  // no fields, code page 0
    void LoadFromText(const char* text, uint32_t length, LogBase& log);

    uint32_t Count() const { return fields_.Count(); }
    const MimeField* FieldAt(uint32_t index) const;
    // The code page the field texts were found to be in (0 until detected).
    uint32_t CodePage() const { return codePage_; }

    // Appends a field; false when memory is exhausted.
    bool AddField(const char* name, const char* value);
    bool AddField(const StringBuffer& name, const StringBuffer& value);
    void RemoveFields(const char* name);  // every field of that name

    bool HasField(const char* name) const;
    bool GetField(const char* name, StringBuffer& value) const;
    // A parameter of the first field's value ("charset" of "text/xml; charset=\"UTF-8\"").
    bool GetFieldAttribute(const char* fieldName, const char* attribute, StringBuffer& value) const;
    // Whether some field of that name has exactly this value, ignoring letter case.
    bool FieldEquals(const char* name, const char* token) const;
    // Whether some field of that name matches the pattern, ignoring letter case; "*" matches any
    // run of characters, and a pattern without "*" must equal the whole value.
    bool FieldMatches(const char* name, const char* pattern) const;
    // Appends a copy of the value of every field of that name, in order (owned StringBuffers).
    void CollectValues(const char* name, ExtPtrArray& values) const;

private:
    const MimeField* FirstNamed(const char* name) const;
    // Cuts a collected field text into name and value and stores it; false after an allocation
    // failure (logged), which ends the parse.
    bool CompleteField(StringBuffer& text, LogBase& log);
    bool Append(MimeField* field, LogBase* log);
    void CopyFrom(const MimeHeader& other);

    ExtPtrArray fields_;
    uint32_t codePage_ = 0;
};
