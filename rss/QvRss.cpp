#include "rss/QvRss.h"

#include <new>

#include "rss/QvRssCb.h"

QvRss::QvRss() : impl_(new ClsRss()) {}

QvRss::QvRss(ClsRss* impl) : impl_(impl) {}

QvRss::~QvRss() { delete impl_; }

QvRss* QvRss::Wrap(ClsRss* impl) {
    if (!impl) {
        return nullptr;
    }
    auto* wrapper = new (std::nothrow) QvRss(impl);
    if (!wrapper) {
        delete impl;
    }
    return wrapper;
}

QvRss* QvRss::GetChannel(int32_t index) { return Wrap(impl_->GetChannel(index)); }

QvRss* QvRss::GetItem(int32_t index) { return Wrap(impl_->GetItem(index)); }

int32_t QvRss::ItemCount() { return impl_->ItemCount(); }

bool QvRss::DownloadRss(const char* url) {
    XString urlText;
    ReadArgument(url, urlText);
    // The adapter is always passed, so the lower layers always have a sink to ask.
    QvRssCb progress(callback_);
    return impl_->DownloadRss(urlText, &progress);
}

bool QvRss::GetString(const char* tag, QvString& out) {
    XString tagText;
    ReadArgument(tag, tagText);
    return impl_->GetString(tagText, out.Value());
}

const char* QvRss::GetString(const char* tag) {
    if (++resultIndex_ >= results_.size()) {
        resultIndex_ = 0;
    }
    QvString& result = results_[resultIndex_];
    result.Clear();
    GetString(tag, result);
    return utf8_ ? result.GetUtf8() : result.GetAnsi();
}
