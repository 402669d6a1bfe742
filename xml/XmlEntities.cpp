#include "xml/XmlEntities.h"

#include <cstring>

#include "core/StringBuffer.h"

namespace {
struct EntityName {
    const char* name;  // with its ";"
    uint8_t length;
    char replacement;
};
constexpr EntityName kEntities[] = {
    {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"amp;", 4, '&'}, {"apos;", 5, '\''}, {"quot;", 5, '"'},
};
}  // namespace

EntityMatch MatchPredefinedEntity(const char* afterAmp, const char* end) {
    const auto available = static_cast<size_t>(end - afterAmp);
    bool partial = false;
    for (const EntityName& entity : kEntities) {
        const size_t compared = available < entity.length ? available : entity.length;
        if (std::memcmp(afterAmp, entity.name, compared) != 0) {
            continue;
        }
        if (compared < entity.length) {
            partial = true;
            continue;
        }
        return EntityMatch{entity.replacement == '&' ? EntityMatch::Amp : EntityMatch::Other,
                           entity.replacement, entity.length};
    }
    return EntityMatch{partial ? EntityMatch::Partial : EntityMatch::None, 0, 0};
}

uint32_t DecodePredefinedEntities(StringBuffer& text) {
    char* bytes = text.MutableText();
    if (!bytes) {
        return 0;
    }
    const uint32_t length = text.GetSize();
    const char* end = bytes + length;
    char* first = static_cast<char*>(std::memchr(bytes, '&', length));
    if (!first) {
        return 0;
    }
    // Decoding only shortens the text, so it is rewritten in place behind the reading cursor.
    uint32_t replaced = 0;
    char* out = first;
    const char* in = first;
    while (in < end) {
        if (*in != '&') {
            const char* amp = static_cast<const char*>(std::memchr(in, '&', static_cast<size_t>(end - in)));
            const char* stop = amp ? amp : end;
            std::memmove(out, in, static_cast<size_t>(stop - in));
            out += stop - in;
            in = stop;
            continue;
        }
        const EntityMatch match = MatchPredefinedEntity(in + 1, end);
        if (match.kind == EntityMatch::Amp || match.kind == EntityMatch::Other) {
            *out++ = match.replacement;
            in += 1 + match.length;
            ++replaced;
        } else {
            *out++ = *in++;
        }
    }
    text.Shorten(static_cast<uint32_t>(end - out));
    return replaced;
}
