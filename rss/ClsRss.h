#pragma once
// ClsRss: the RSS object. It is a handle on one element of a parsed feed (a ClsXml): the object
// a feed was loaded into stands on the document's root; GetChannel and GetItem hand out new
// ClsRss objects standing on elements of the same tree, which stay valid after the object they
// came from is deleted or loads another feed. The caller owns every object they return.
//
//   GetChannel(i)  the i-th "channel" child, or null      (standard entry "GetChannel")
//   GetItem(i)     the i-th "item" child, or null         (standard entry "GetItem")
//   GetString(tag, out)  the first child element tagged exactly `tag`: its text, entity-decoded
//                  (single Windows-1252 bytes inside the UTF-8 text); empty when there is none;
//                  always true                            (standard entry "GetString")
//   ItemCount()    the direct children tagged exactly "item" (logs nothing)
//   DownloadRss(url, progress)  fetches the feed with a fresh HTTP object (Firefox-style request,
//                  no cache) and makes the body its document; true when the transfer succeeded
//                  with a status below 400, whether or not the body held a root element
//                                                         (standard entry "DownloadRss")
//   LoadFeedText(utf8)  makes the text the object's document (what a download does with the
//                  body it received); the text is always parsed as XML, never taken as a file
//                  name. Without a root element the old document stays and the result is false.

#include <cstdint>

#include "core/ClsBase.h"
#include "encoding/XString.h"
#include "xml/ClsXml.h"

class ProgressEvent;

class ClsRss : public ClsBase {
public:
    ClsRss();
    ~ClsRss() override;
    ClsRss(const ClsRss&) = delete;
    ClsRss& operator=(const ClsRss&) = delete;

    ClsRss* GetChannel(int32_t index);
    ClsRss* GetItem(int32_t index);
    bool GetString(XString& tag, XString& out);
    int32_t ItemCount();
    bool DownloadRss(XString& url, ProgressEvent* progress);

    bool LoadFeedText(const char* utf8);

private:
    ClsRss* ChildObject(const char* methodName, const char* tag, int32_t index);

    ClsXml xml_;
};
