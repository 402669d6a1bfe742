#include "http/UrlParse.h"

#include <climits>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::string_view kEmpty{};
constexpr size_t kNone = std::string_view::npos;

bool BeginsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

void Assign(StringBuffer& out, std::string_view text) {
    out.SetBytes(text.data(), static_cast<uint32_t>(text.size()));
}

// The decimal number at the start of the text (leading blanks and a sign allowed); false when
// there is none. Values too large for an int are held at its limit.
bool ReadPort(std::string_view text, int& port) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = INT_MAX;
        }
        digits = true;
    }
    if (!digits) {
        return false;
    }
    port = static_cast<int>(negative ? -value : value);
    return true;
}

// The host as a connection key: lower-cased, trimmed, and cut at the first of the characters
// that cannot belong to a host name.
void CleanHost(StringBuffer& host) {
    host.ToLowerCase();
    host.Trim();
    for (char stop : {':', '%', '&', '?', '=', ' '}) {
        host.ChopAtFirstChar(stop);
    }
    host.Trim();
}

}  // namespace

void ParsedUrl::Clear() {
    host.Clear();
    port = 80;
    login.Clear();
    password.Clear();
    path.Clear();
    query.Clear();
    fragment.Clear();
}

bool ParseUrl(const char* url, ParsedUrl& parts) {
    parts.Clear();
    if (!url) {
        return false;
    }
    StringBuffer work(url);
    work.ReplaceChar('\\', '/');
    std::string_view rest(work.GetString(), work.GetSize());

    // A one-letter host before a colon is a drive letter, unless a network scheme names a host.
    bool driveLetterPossible = false;
    if (BeginsWithNoCase(rest, "http://")) {
        rest.remove_prefix(7);
    } else if (BeginsWithNoCase(rest, "https://")) {
        rest.remove_prefix(8);
        parts.port = 443;
    } else if (BeginsWithNoCase(rest, "ftp://")) {
        rest.remove_prefix(6);
    } else {
        driveLetterPossible = true;
        if (BeginsWithNoCase(rest, "file:///")) {
            rest.remove_prefix(8);
        }
    }

    std::string_view userInfo;
    bool hasUserInfo = false;
    const size_t at = rest.find('@');
    if (at != kNone && rest.find('/') > at && rest.find('/', at + 1) != kNone) {
        userInfo = rest.substr(0, at);
        hasUserInfo = true;
        rest.remove_prefix(at + 1);
    }

    const size_t authorityEnd = rest.find_first_of("/?#");
    const std::string_view authority = rest.substr(0, authorityEnd);
    const size_t colon = authority.find(':');
    if (colon == kNone) {
        Assign(parts.host, authority);
    } else if (colon != 1 || !driveLetterPossible) {  // "c:/dir/f.xml" has no host
        Assign(parts.host, authority.substr(0, colon));
        ReadPort(authority.substr(colon + 1), parts.port);
    }

    if (hasUserInfo) {
        const size_t separator = userInfo.find(':');
        if (separator != kNone) {
            Assign(parts.login, userInfo.substr(0, separator));
            Assign(parts.password, userInfo.substr(separator + 1));
        }
    }

    const std::string_view remainder = authorityEnd == kNone ? kEmpty : rest.substr(authorityEnd);
    std::string_view path = remainder;
    const size_t question = remainder.find('?');
    if (question != kNone) {
        path = remainder.substr(0, question);
        std::string_view query = remainder.substr(question + 1);
        const size_t hash = query.rfind('#');
        if (hash != kNone) {
            Assign(parts.fragment, query.substr(hash + 1));
            query = query.substr(0, hash);
        }
        Assign(parts.query, query);
    } else {
        const size_t hash = remainder.rfind('#');
        if (hash != kNone) {
            Assign(parts.fragment, remainder.substr(hash + 1));
            path = remainder.substr(0, hash);
        }
    }
    Assign(parts.path, path);
    parts.path.Trim();
    if (parts.path.IsEmpty()) {
        parts.path.SetString("/");
    }
    CleanHost(parts.host);
    return true;
}
