#pragma once
// QvString: a public string. Its value is an XString; the reading operations hand out the value
// in the ANSI code page or in UTF-8 (converted on demand); the pointers belong to the QvString
// and stay valid until it changes.

#include "core/StringBuffer.h"
#include "encoding/XString.h"
#include "rss/QvObject.h"

class QvString : public QvObject {
public:
    QvString() = default;
    ~QvString() override;

    void Clear() { value_.Clear(); }
    const char* GetAnsi() { return value_.GetAnsi(); }
    const char* GetUtf8() { return value_.GetUtf8(); }

    bool Utf8() const { return utf8_; }
    void SetUtf8(bool on) { utf8_ = on; }

    // The value itself, for the objects that fill it.
    XString& Value() { return value_; }

private:
    XString value_;
    bool utf8_ = false;
    StringBuffer scratch_;  // work buffer of the component interface; unused on this road
};
