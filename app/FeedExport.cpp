#include "app/FeedExport.h"

#include <cstdio>
#include <memory>

#include "app/RunLog.h"
#include "platform/Clock.h"
#include "platform/Utf16Text.h"
#include "rss/QvRss.h"

namespace {

enum class PairRemoval { Keep, Remove };

// One field: the opening piece, the feed's text for `tag`, the closing piece.
void WriteField(platform::Utf16Output& file, const char16_t* element, QvRss& source, const char* tag,
                PairRemoval removal) {
    std::u16string text = platform::WidenBytes(source.GetString(tag));
    if (removal == PairRemoval::Remove) {
        text = RemoveNoBreakSpacePairs(std::move(text));
    }
    file.Write(u"<");
    file.Write(element);
    file.Write(u"><![CDATA[");
    file.Write(text);
    file.Write(u"]]></");
    file.Write(element);
    file.Write(u">");
}

void WriteItem(platform::Utf16Output& file, QvRss& item) {
    file.Write(u"<item>");
    WriteField(file, u"title", item, "title", PairRemoval::Keep);
    WriteField(file, u"link", item, "link", PairRemoval::Remove);
    WriteField(file, u"pubdate", item, "pubDate", PairRemoval::Remove);
    WriteField(file, u"description", item, "description", PairRemoval::Keep);
    WriteField(file, u"author", item, "author", PairRemoval::Keep);
    WriteField(file, u"guid", item, "GUID", PairRemoval::Remove);
    // The status is a constant; the pair removal leaves it as it is.
    file.Write(u"<status><![CDATA[" + RemoveNoBreakSpacePairs(u"UnRead") + u"]]></status>");
    file.Write(u"</item>");
}

}  // namespace

std::u16string RemoveNoBreakSpacePairs(std::u16string text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\u00A0' && i + 1 < text.size() && text[i + 1] == u' ') {
            ++i;
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

void WriteFeedExport(QvRss& channel, platform::Utf16Output& file, uint32_t pauseBeforeItemMs) {
    file.Write(u"<rootrss>");
    WriteField(file, u"maintitle", channel, "title", PairRemoval::Keep);
    WriteField(file, u"mainlink", channel, "link", PairRemoval::Keep);
    WriteField(file, u"maindescription", channel, "description", PairRemoval::Keep);

    const int32_t count = channel.ItemCount();
    char countText[24];
    std::snprintf(countText, sizeof countText, "%ld.", static_cast<long>(count));
    LogInfo(u"Number of Items in XML is ", platform::WidenBytes(countText));

    for (int32_t index = 0; index < count; ++index) {
        if (pauseBeforeItemMs) {
            platform::SleepMs(pauseBeforeItemMs);
        }
        std::unique_ptr<QvRss> item(channel.GetItem(index));
        if (!item) {
            continue;  // only when memory ran out: leave the item out, keep the document whole
        }
        WriteItem(file, *item);
    }
    file.Write(u"</rootrss>");
}
