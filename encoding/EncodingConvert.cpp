#include "encoding/EncodingConvert.h"

#include "core/DataBuffer.h"
#include "encoding/CharsetRegistry.h"
#include "encoding/CodePageTables.h"
#include "encoding/Japanese.h"
#include "encoding/Korean.h"
#include "encoding/MacArabic.h"
#include "encoding/TableCodec.h"
#include "encoding/UnicodeForms.h"
#include "encoding/Utf7.h"
#include "platform/SystemInfo.h"

namespace {

constexpr int kUtf16Le = 1200;
constexpr int kUtf16Be = 1201;
constexpr int kUtf7 = 65000;
constexpr int kUtf8 = 65001;
constexpr int kUtf32Le = 65005;
constexpr int kUtf32Be = 65006;
constexpr int kShiftJis = 932;
constexpr int kKorean = 949;
constexpr int kMacArabic = 10004;
constexpr int kIso2022Kr = 50225;

bool IsIso2022Jp(int codePage) {
    return codePage >= 50220 && codePage <= 50222;
}

// Where the UTF-16 units of a conversion come from.
struct Source {
    enum class Kind { Utf16Le, Utf8, SingleByte, MultiByte } kind;
    const UnicodeLookup* singleByte = nullptr;
    const HashConvert* multiByte = nullptr;
};

bool SourceOf(int codePage, Source& source) {
    if (codePage == kUtf16Le) {
        source.kind = Source::Kind::Utf16Le;
        return true;
    }
    if (codePage == kUtf8) {
        source.kind = Source::Kind::Utf8;
        return true;
    }
    if (CodePageTables::IsMultiByte(codePage)) {
        source.kind = Source::Kind::MultiByte;
        source.multiByte = CodePageTables::MultiByteDecoding(codePage);
        return source.multiByte != nullptr;
    }
    source.kind = Source::Kind::SingleByte;
    source.singleByte = CodePageTables::SingleByteDecoding(codePage);
    return source.singleByte != nullptr;
}

template <class Sink>
bool Transcode(const Source& source, const uint8_t* p, uint32_t n, Sink&& sink) {
    bool decoded = false;
    switch (source.kind) {
        case Source::Kind::Utf16Le:
            decoded = unicodeforms::DecodeUtf16Le(p, n, sink);
            break;
        case Source::Kind::Utf8:
            decoded = unicodeforms::DecodeUtf8(p, n, sink);
            break;
        case Source::Kind::SingleByte:
            decoded = tablecodec::DecodeSingleByte(*source.singleByte, p, n, sink);
            break;
        case Source::Kind::MultiByte:
            decoded = tablecodec::DecodeMultiByte(*source.multiByte, p, n, sink);
            break;
    }
    return sink.Finish() && decoded;
}

bool AppendBytes(DataBuffer& out, const uint8_t* bytes, uint32_t length) {
    return length == 0 || out.Append(bytes, length);
}

}  // namespace

EncodingConvert::~EncodingConvert() = default;

bool EncodingConvert::Convert(int fromCodePage, int toCodePage, const void* bytes, uint32_t length,
                              DataBuffer& out) {
    if (toCodePage == 0) {
        toCodePage = fromCodePage;
    }
    fromCodePage_ = fromCodePage;
    toCodePage_ = toCodePage;
    const auto* p = static_cast<const uint8_t*>(bytes);
    if (!p) {
        length = 0;
    }
    if (fromCodePage == 0 || fromCodePage == toCodePage) {
        return AppendBytes(out, p, length);
    }
    if (fromCodePage == kMacArabic && length) {
        DataBuffer copy;
        if (!copy.Append(p, length)) {
            return false;
        }
        ApplyMacArabicPass(copy.GetMutableData(), copy.GetSize());
        return ConvertPrepared(fromCodePage, toCodePage, copy.GetData(), copy.GetSize(), out);
    }
    return ConvertPrepared(fromCodePage, toCodePage, p, length, out);
}

// Everything after the copy rules and the Mac Arabic pass: the ISO-2022 sources and the
// targets reached through another code page, then the core conversion.
bool EncodingConvert::ConvertPrepared(int from, int to, const uint8_t* p, uint32_t n,
                                      DataBuffer& out) {
    if (from == to) {
        return AppendBytes(out, p, n);
    }
    if (IsIso2022Jp(from) || from == kIso2022Kr) {
        DataBuffer staged;
        const bool decoded = IsIso2022Jp(from) ? Japanese().Iso2022JpToShiftJis(p, n, staged)
                                               : Korean().Iso2022KrTo949(p, n, staged);
        const int via = IsIso2022Jp(from) ? kShiftJis : kKorean;
        return ConvertPrepared(via, to, staged.GetData(), staged.GetSize(), out) && decoded;
    }
    if (to == kUtf16Be || to == kUtf7 || IsIso2022Jp(to) || to == kIso2022Kr || to == kUtf32Le ||
        to == kUtf32Be) {
        const int via = to == kUtf16Be || to == kUtf7        ? kUtf16Le
                        : (to == kUtf32Le || to == kUtf32Be) ? kUtf8
                        : IsIso2022Jp(to)                    ? kShiftJis
                                                             : kKorean;
        DataBuffer staged;
        const bool converted = ConvertPrepared(from, via, p, n, staged);
        const uint8_t* s = staged.GetData();
        const uint32_t size = staged.GetSize();
        bool encoded = true;
        if (size) {
            switch (to) {
                case kUtf16Be:
                    encoded = unicodeforms::SwapUtf16Bytes(s, size, out);
                    break;
                case kUtf7:
                    encoded = utf7::EncodeUtf16Le(s, size, out);
                    break;
                case kUtf32Le:
                case kUtf32Be:
                    encoded = unicodeforms::Utf8ToUtf32(s, size, to == kUtf32Be, out);
                    break;
                case kIso2022Kr:
                    encoded = Korean().Cp949ToIso2022Kr(s, size, out);
                    break;
                default:
                    encoded = Japanese().ShiftJisToIso2022Jp(s, size, out);
                    break;
            }
        }
        return converted && encoded;
    }
    return ConvertCore(from, to, p, n, out);
}

bool EncodingConvert::ConvertCore(int from, int to, const uint8_t* p, uint32_t n, DataBuffer& out) {
    if (n == 0) {
        return true;
    }
    // Byte-order marks.
    if ((from == kUtf16Le || from == kUtf16Be) && n >= 2) {
        if (p[0] == 0xFE && p[1] == 0xFF) {
            from = kUtf16Be;
            p += 2;
            n -= 2;
        } else if (p[0] == 0xFF && p[1] == 0xFE) {
            from = kUtf16Le;
            p += 2;
            n -= 2;
        }
    } else if (from == kUtf8 && n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        p += 3;
        n -= 3;
    }
    if (n == 0) {
        return true;
    }
    if (from == to) {
        return AppendBytes(out, p, n);
    }
    // Bring the other Unicode forms to UTF-16LE or UTF-8.
    DataBuffer staged;
    bool ok = true;
    if (from == kUtf16Be || from == kUtf7 || from == kUtf32Le || from == kUtf32Be) {
        if (from == kUtf16Be) {
            ok = unicodeforms::SwapUtf16Bytes(p, n, staged);
            from = kUtf16Le;
        } else if (from == kUtf7) {
            ok = utf7::DecodeToUtf16Le(p, n, staged);
            from = kUtf16Le;
        } else {
            ok = unicodeforms::Utf32ToUtf8(p, n, from == kUtf32Be, staged);
            from = kUtf8;
        }
        p = staged.GetData();
        n = staged.GetSize();
        if (n == 0) {
            return ok;
        }
        if (from == to) {
            return AppendBytes(out, p, n) && ok;
        }
    }
    Source source{};
    if (!SourceOf(from, source)) {
        return false;
    }
    if (to == kUtf16Le) {
        return Transcode(source, p, n, unicodeforms::Utf16LeSink(out)) && ok;
    }
    if (to == kUtf8) {
        if (source.kind == Source::Kind::SingleByte && !source.singleByte->HasSurrogates()) {
            return tablecodec::DecodeSingleByteToUtf8(*source.singleByte, p, n, out) && ok;
        }
        return Transcode(source, p, n, unicodeforms::Utf8Sink(out)) && ok;
    }
    const HashConvert* encoding = CodePageTables::Encoding(to);
    if (!encoding) {
        return false;
    }
    return Transcode(source, p, n,
                     tablecodec::TableSink(*encoding, tablecodec::FoldsArabicDigits(to), out)) &&
           ok;
}

bool EncodingConvert::ConvertByName(const char* fromName, int toCodePage, const void* bytes,
                                    uint32_t length, DataBuffer& out) {
    const int from = CodePageOfName(fromName);
    return from != 0 && Convert(from, toCodePage, bytes, length, out);
}

bool EncodingConvert::ConvertToName(int fromCodePage, const char* toName, const void* bytes,
                                    uint32_t length, DataBuffer& out) {
    const int to = CodePageOfName(toName);
    return to != 0 && Convert(fromCodePage, to, bytes, length, out);
}

bool EncodingConvert::ConvertByNames(const char* fromName, const char* toName, const void* bytes,
                                     uint32_t length, DataBuffer& out) {
    const int from = CodePageOfName(fromName);
    const int to = CodePageOfName(toName);
    return from != 0 && to != 0 && Convert(from, to, bytes, length, out);
}

bool EncodingConvert::ConvertFromAnsi(int toCodePage, const void* bytes, uint32_t length,
                                      DataBuffer& out) {
    return Convert(platform::AnsiCodePage(), toCodePage, bytes, length, out);
}

bool EncodingConvert::ConvertToAnsi(int fromCodePage, const void* bytes, uint32_t length,
                                    DataBuffer& out) {
    return Convert(fromCodePage, platform::AnsiCodePage(), bytes, length, out);
}
