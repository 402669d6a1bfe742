#pragma once
// QvRss: the public RSS object. Strings go in and out in the ANSI code page (or in UTF-8 when the
// utf8 flag is on); each call is forwarded to the ClsRss the object owns.
//
// The string-returning GetString hands out a pointer into a ring of ten result strings owned by
// the object: it stays valid through the next nine such calls on the same object and is reused
// by the tenth. The caller deletes the objects GetChannel and GetItem return; they start with
// the defaults of a new object (utf8 off, no callback).

#include <array>
#include <cstdint>

#include "rss/ClsRss.h"
#include "rss/QvObject.h"
#include "rss/QvRssProgress.h"
#include "rss/QvString.h"

class QvRss : public QvObject {
public:
    QvRss();
    explicit QvRss(ClsRss* impl);  // takes ownership
    ~QvRss() override;

    QvRss* GetChannel(int32_t index);
    QvRss* GetItem(int32_t index);
    int32_t ItemCount();
    // Downloads the feed at `url` (ANSI or UTF-8 as the flag says) into this object; the
    // application's callback, when set, is asked for aborts during the network waits.
    bool DownloadRss(const char* url);
    bool GetString(const char* tag, QvString& out);
    const char* GetString(const char* tag);

    bool Utf8() const { return utf8_; }
    void SetUtf8(bool on) { utf8_ = on; }
    void SetCallback(QvRssProgress* callback) { callback_ = callback; }

    // The inner object, for the library's own roads (the download) and for tests.
    ClsRss& Impl() { return *impl_; }

private:
    QvRss* Wrap(ClsRss* impl);
    void ReadArgument(const char* text, XString& out) const { out.SetFromEither(text, utf8_); }

    ClsRss* impl_;
    QvRssProgress* callback_ = nullptr;
    bool utf8_ = false;
    uint32_t resultIndex_ = 0;
    std::array<QvString, 10> results_;
};
