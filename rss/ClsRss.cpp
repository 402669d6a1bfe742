#include "rss/ClsRss.h"

#include <memory>
#include <new>

#include "core/StringBuffer.h"
#include "http/ClsHttp.h"

ClsRss::ClsRss() = default;
ClsRss::~ClsRss() = default;

ClsRss* ClsRss::ChildObject(const char* methodName, const char* tag, int32_t index) {
    MethodScope scope(*this, methodName);
    if (index < 0) {
        return nullptr;
    }
    std::unique_ptr<ClsXml> found(xml_.ChildByTag(tag, index));
    if (!found) {
        return nullptr;
    }
    auto* child = new (std::nothrow) ClsRss();
    if (child) {
        child->xml_.TakeTree(*found);
    }
    return child;
}

ClsRss* ClsRss::GetChannel(int32_t index) { return ChildObject("GetChannel", "channel", index); }

ClsRss* ClsRss::GetItem(int32_t index) { return ChildObject("GetItem", "item", index); }

bool ClsRss::GetString(XString& tag, XString& out) {
    MethodScope scope(*this, "GetString");
    StringBuffer text;
    xml_.ChildContentByTag(tag.GetUtf8(), text);
    text.DecodeEntities();
    out.SetFromUtf8(text.GetString());
    return true;
}

int32_t ClsRss::ItemCount() { return xml_.CountChildrenByTag("item"); }

bool ClsRss::LoadFeedText(const char* utf8) { return xml_.LoadXmlText(utf8, true); }

bool ClsRss::DownloadRss(XString& url, ProgressEvent* progress) {
    MethodScope scope(*this, "DownloadRss");
    // A fresh HTTP object for every download: no connection outlives the call.
    auto http = std::make_unique<ClsHttp>();
    http->SetFirefoxStyleRequest(true);
    http->SetReadFromCache(false);
    http->SetWriteToCache(false);
    log_.AddData("url", url.GetUtf8());
    log_.AddDataInt("connectTimeout", http->ConnectTimeout());
    log_.AddDataInt("readTimeout", http->ReadTimeout());

    StringBuffer body;
    const bool downloaded = http->HttpGet(url, body, log_, progress);
    if (downloaded) {
        // The body is the document itself; a text that parses to no root leaves the old tree.
        LoadFeedText(body.GetString());
    }
    LogOutcome(downloaded);
    return downloaded;
}
