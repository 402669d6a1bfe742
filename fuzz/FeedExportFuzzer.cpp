// Loads arbitrary bytes as a feed and exports channel 0 into memory. The export must always be
// one well-formed <rootrss> document with as many items as the channel has.

#include <cstdlib>
#include <memory>
#include <string>

#include "app/ApplicationLog.h"
#include "app/FeedExport.h"
#include "rss/QvRss.h"

namespace {

class MemoryOutput : public platform::Utf16Output {
public:
    void Write(std::u16string_view text) override { text_.append(text); }
    const std::u16string& Text() const { return text_; }

private:
    std::u16string text_;
};

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

size_t Count(const std::u16string& text, std::u16string_view piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::u16string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The item count goes to the application log; point it at a folder that cannot exist.
    SetLogBaseFolder(u"/nonexistent-qv-fuzz-folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    QvRss feed;
    feed.Impl().LoadFeedText(text.c_str());
    std::unique_ptr<QvRss> channel(feed.GetChannel(0));
    if (!channel) {
        return 0;
    }
    MemoryOutput out;
    WriteFeedExport(*channel, out, 0);
    const std::u16string& exported = out.Text();
    Require(exported.starts_with(u"<rootrss><maintitle><![CDATA["));
    Require(exported.ends_with(u"</rootrss>"));
    // Field texts may hold anything, even pieces of the document's own markup, so they can only
    // add to the count of item endings.
    Require(Count(exported, u"<status><![CDATA[UnRead]]></status></item>") >=
            static_cast<size_t>(channel->ItemCount()));
    return 0;
}
