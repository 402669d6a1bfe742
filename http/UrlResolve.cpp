#include "http/UrlResolve.h"

#include <string>

#include "core/StringBuffer.h"
#include "http/UrlParse.h"

namespace {

constexpr int kMostDotDotPasses = 100;

std::string TextOf(const char* text) {
    return text ? std::string(text) : std::string();
}

void Assign(StringBuffer& out, const std::string& text) {
    out.SetBytes(text.data(), static_cast<uint32_t>(text.size()));
}

// Replaces `from` by `to` until none is left (each replacement shortens the text, so overlapping
// occurrences such as "/././" go too).
void ReplaceEvery(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at = at >= from.size() ? at - from.size() + 1 : 0;
    }
}

bool BeginsWithNoCase(const std::string& text, const char* prefix) {
    StringBuffer copy(text.c_str());
    return copy.BeginsWithNoCase(prefix);
}

void Trim(std::string& text) {
    StringBuffer copy(text.c_str());
    copy.Trim();
    text = copy.GetString();
}

}  // namespace

void MergeRelativePath(const char* basePath, const char* relative, StringBuffer& merged) {
    std::string base = TextOf(basePath);
    const size_t lastSlash = base.rfind('/');
    base.erase(lastSlash == std::string::npos ? 0 : lastSlash);
    if (base.empty() || base.back() != '/') {
        base += '/';
    }
    const std::string rest = TextOf(relative);
    const size_t start = rest.find_first_not_of('/');
    if (start != std::string::npos) {
        base.append(rest, start, std::string::npos);
    }
    Assign(merged, base);
}

void NormalizeDotSegments(const char* url, StringBuffer& cleaned) {
    std::string text = TextOf(url);
    ReplaceEvery(text, "/./", "/");
    for (int pass = 0;; ++pass) {
        if (pass == kMostDotDotPasses) {
            ReplaceEvery(text, "/../", "/");
            break;
        }
        const size_t dotDot = text.find("/../");
        if (dotDot == std::string::npos || dotDot == 0) {
            break;
        }
        const size_t previous = text.rfind('/', dotDot - 1);
        if (previous != std::string::npos && previous > 0 && text[previous - 1] == '/') {
            // The segment before is the authority: nothing above it to go up to.
            ReplaceEvery(text, "/../", "/");
            break;
        }
        const size_t from = previous == std::string::npos ? 0 : previous;
        text.erase(from, dotDot + 3 - from);  // "/a/../b" becomes "/b"
    }
    Assign(cleaned, text);
}

void ResolveLocation(const char* currentUrl, const char* location, StringBuffer& newUrl) {
    newUrl.Clear();
    const std::string current = TextOf(currentUrl);
    std::string target = TextOf(location);
    if (target.compare(0, 4, "http") == 0) {
        Assign(newUrl, target);
        return;
    }
    if (!target.empty() && target[0] == '/') {
        const size_t first = current.find('/');
        if (first == std::string::npos || first + 1 >= current.size() ||
            current[first + 1] != '/') {
            return;  // no authority to put the path under
        }
        const size_t pathStart = current.find('/', first + 2);
        Assign(newUrl, current.substr(0, pathStart) + target);
        return;
    }

    Trim(target);
    if (current.empty() || target.empty()) {
        Assign(newUrl, current.empty() ? target : current);
        return;
    }
    if (BeginsWithNoCase(target, "http:") || BeginsWithNoCase(target, "https:")) {
        Assign(newUrl, target);
        return;
    }
    ParsedUrl parts;
    ParseUrl(current.c_str(), parts);
    StringBuffer path;
    MergeRelativePath(parts.path.GetString(), target.c_str(), path);
    const bool secure = BeginsWithNoCase(current, "https:");
    std::string resolved = secure ? "https://" : "http://";
    resolved += parts.host.GetString();
    if (parts.port != (secure ? 443 : 80)) {
        resolved += ':' + std::to_string(parts.port);
    }
    resolved += path.GetString();
    NormalizeDotSegments(resolved.c_str(), newUrl);
}
