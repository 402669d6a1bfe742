#pragma once
// The five predefined XML entities: "&lt;", "&gt;", "&amp;", "&apos;" and "&quot;". Numeric
// character references and every other entity are left as they are.
//
// The five names share no letters' positions with each other's replacements: none of the
// replacement bytes < > ' " & is a letter or ";", and every name starts with the only "&" it
// holds. So replacing them one name after the other, each over the whole text and with "&amp;"
// last, gives the same text as replacing them all in one left-to-right pass in which the "&"
// that "&amp;" leaves behind is not looked at again. The one pass is what is done here.

#include <cstdint>

class StringBuffer;

// How the bytes after an "&" relate to the five names.
struct EntityMatch {
    enum Kind : uint8_t {
        None,     // not one of the names, whatever follows
        Partial,  // the bytes end while still spelling the start of a name
        Amp,      // "amp;": replaced by "&"
        Other     // "lt;", "gt;", "apos;" or "quot;": replaced by `replacement`
    };
    Kind kind;
    char replacement;
    uint8_t length;  // bytes of the name and its ";" (for Amp and Other)
};

// Looks at the bytes [afterAmp, end) that follow an "&".
EntityMatch MatchPredefinedEntity(const char* afterAmp, const char* end);

// Replaces the five entities in one pass (see above). Returns the number replaced.
uint32_t DecodePredefinedEntities(StringBuffer& text);
