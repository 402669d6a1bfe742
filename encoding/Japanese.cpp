#include "encoding/Japanese.h"

#include <cstring>

#include "core/DataBuffer.h"
#include "encoding/Base64.h"
#include "encoding/ChunkedOutput.h"
#include "encoding/CodePageData.h"

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr int kExtensionFirstRow = 0x79;
constexpr int kExtensionRows = 4;
constexpr int kCells = 94;

// The stored helper tables, decoded once per process.
struct JisTables {
    uint16_t extension[kExtensionRows * kCells] = {};  // JIS rows 0x79-0x7C -> Shift_JIS
    uint16_t katakana[0xE0 - 0xA1] = {};               // half-width byte -> full-width SJIS
    uint16_t extensionJis[3 * 256] = {};               // (lead 0xFA-0xFC, trail) -> JIS

    JisTables() {
        Decode(codepagedata::kJisExtensionTable, extension, kExtensionRows * kCells);
        Decode(codepagedata::kHalfwidthKatakanaTable, katakana, 0xE0 - 0xA1);
        for (int i = kExtensionRows * kCells - 1; i >= 0; --i) {
            const uint16_t code = extension[i];
            if (code >> 8 >= 0xFA && code >> 8 <= 0xFC) {
                extensionJis[((code >> 8) - 0xFA) * 256 + (code & 0xFF)] = static_cast<uint16_t>(
                    (kExtensionFirstRow + i / kCells) << 8 | (0x21 + i % kCells));
            }
        }
    }

    static void Decode(const char* text, uint16_t* codes, size_t count) {
        DataBuffer bytes;
        if (!DecodeBase64(text, std::strlen(text), bytes) || bytes.GetSize() != 2 * count) {
            return;  // left zero: such codes then convert to nothing
        }
        for (size_t i = 0; i < count; ++i) {
            codes[i] =
                static_cast<uint16_t>(bytes.GetData()[2 * i] << 8 | bytes.GetData()[2 * i + 1]);
        }
    }
};

const JisTables& Tables() {
    static const JisTables tables;
    return tables;
}

void PutPair(ChunkedOutput& out, unsigned first, unsigned second) {
    uint8_t* room = out.Room(2);
    room[0] = static_cast<uint8_t>(first);
    room[1] = static_cast<uint8_t>(second);
    out.Advance(2);
}

void PutEscape(ChunkedOutput& out, uint8_t first, uint8_t second) {
    uint8_t* room = out.Room(3);
    room[0] = kEsc;
    room[1] = first;
    room[2] = second;
    out.Advance(3);
}

// JIS X 0208 row and cell to Shift_JIS, and back (all modulo 256, as the transformation is
// also applied to bytes outside the JIS ranges).
void JisToShiftJis(unsigned j1, unsigned j2, ChunkedOutput& out) {
    const unsigned s1 = ((j1 + 1) >> 1) + (j1 < 0x5F ? 0x70 : 0xB0);
    const unsigned s2 = (j1 & 1) ? j2 + (j2 < 0x60 ? 0x1F : 0x20) : j2 + 0x7E;
    PutPair(out, s1, s2);
}

void ShiftJisToJis(unsigned s1, unsigned s2, ChunkedOutput& out) {
    const unsigned j1 = ((s1 - (s1 < 0xA0 ? 0x70 : 0xB0)) << 1) - (s2 < 0x9F ? 1 : 0);
    const unsigned j2 = s2 < 0x9F ? s2 - (s2 < 0x7F ? 0x1F : 0x20) : s2 - 0x7E;
    PutPair(out, j1, j2);
}

bool IsShiftJisLead(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
}
bool IsLineEnd(uint8_t b) {
    return b == '\r' || b == '\n';
}

// Half-width katakana that take a following voiced (0xDE) or semi-voiced (0xDF) mark.
bool TakesVoicedMark(uint8_t b) {
    return (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE) || b == 0xB3;
}
bool TakesSemiVoicedMark(uint8_t b) {
    return b >= 0xCA && b <= 0xCE;
}
constexpr uint16_t kFullwidthVu = 0x8394;  // U voiced is not U + 1 in Shift_JIS

class KanjiMode {
public:
    explicit KanjiMode(ChunkedOutput& out) : out_(out) {}
    void Enter() {
        if (!on_) {
            PutEscape(out_, '$', 'B');
            on_ = true;
        }
    }
    void Leave() {
        if (on_) {
            PutEscape(out_, '(', 'B');
            on_ = false;
        }
    }
    bool On() const { return on_; }

private:
    ChunkedOutput& out_;
    bool on_ = false;
};

}  // namespace

bool Japanese::Iso2022JpToShiftJis(const uint8_t* p, size_t n, DataBuffer& out) const {
    enum class Mode { Ascii, TwoByte, Katakana };
    const JisTables& tables = Tables();
    ChunkedOutput sink(out);
    Mode mode = Mode::Ascii;
    bool ok = true;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (b == kEsc) {
            if (i + 1 >= n || ((p[i + 1] == '$' || p[i + 1] == '(') && i + 2 >= n)) {
                ok = false;  // an escape cut off by the end ends the input
                break;
            }
            const uint8_t kind = p[i + 1];
            if (kind == '$' || kind == '(') {
                const uint8_t last = p[i + 2];
                if (kind == '$' && (last == '@' || last == 'B')) {
                    mode = Mode::TwoByte;
                } else if (kind == '(' && (last == 'B' || last == 'J')) {
                    mode = Mode::Ascii;
                } else if (kind == '(' && last == 'I') {
                    mode = Mode::Katakana;
                } else {
                    ok = false;
                }
                i += 3;
            } else {
                ok = false;
                i += 2;
            }
            continue;
        }
        if (IsLineEnd(b)) {
            sink.Put(b);
            if (mode == Mode::TwoByte) {
                mode = Mode::Ascii;
            }
            ++i;
            continue;
        }
        if (mode == Mode::Ascii || mode == Mode::Katakana) {
            sink.Put(mode == Mode::Ascii ? b : static_cast<uint8_t>(b + 0x80));
            ++i;
            continue;
        }
        if (i + 1 >= n) {
            ok = false;  // half a pair at the end
            break;
        }
        const uint8_t j2 = p[i + 1];
        if (j2 == kEsc || IsLineEnd(j2)) {
            ok = false;  // half a pair before an escape or a line end
            ++i;
            continue;
        }
        if (b >= kExtensionFirstRow && b < kExtensionFirstRow + kExtensionRows && j2 >= 0x21 &&
            j2 <= 0x7E) {
            const uint16_t code = tables.extension[(b - kExtensionFirstRow) * kCells + j2 - 0x21];
            PutPair(sink, code >> 8, code & 0xFF);
        } else {
            JisToShiftJis(b, j2, sink);
        }
        i += 2;
    }
    return sink.Flush() && ok;
}

bool Japanese::ShiftJisToIso2022Jp(const uint8_t* p, size_t n, DataBuffer& out) const {
    const JisTables& tables = Tables();
    ChunkedOutput sink(out);
    KanjiMode kanji(sink);
    bool ok = true;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = p[i];
        if (IsLineEnd(b)) {
            kanji.Leave();
            sink.Put(b);
            ++i;
            continue;
        }
        if (IsShiftJisLead(b)) {
            if (i + 1 >= n) {
                ok = false;
                break;
            }
            const uint8_t trail = p[i + 1];
            if (trail >= 0x40 && trail <= 0xFC) {
                kanji.Enter();
                ShiftJisToJis(b, trail, sink);
            } else {
                PutPair(sink, b, trail);
            }
            i += 2;
            continue;
        }
        if (b >= 0xFA && b <= 0xFC && i + 1 < n) {
            const uint16_t jis = tables.extensionJis[(b - 0xFA) * 256 + p[i + 1]];
            if (jis) {
                kanji.Enter();
                PutPair(sink, jis >> 8, jis & 0xFF);
                i += 2;
                continue;
            }
        }
        if (b >= 0xA1 && b <= 0xDF) {
            kanji.Enter();
            uint16_t code = tables.katakana[b - 0xA1];
            const uint8_t next = i + 1 < n ? p[i + 1] : 0;
            if (next == 0xDE && TakesVoicedMark(b)) {
                code = b == 0xB3 ? kFullwidthVu : static_cast<uint16_t>(code + 1);
                ++i;
            } else if (next == 0xDF && TakesSemiVoicedMark(b)) {
                code = static_cast<uint16_t>(code + 2);
                ++i;
            }
            ShiftJisToJis(code >> 8, code & 0xFF, sink);
            ++i;
            continue;
        }
        if (kanji.On() && b > 0x80) {
            if (i + 1 >= n) {
                ok = false;
                break;
            }
            ShiftJisToJis(b, p[i + 1], sink);
            i += 2;
            continue;
        }
        kanji.Leave();
        sink.Put(b);
        ++i;
    }
    kanji.Leave();
    return sink.Flush() && ok;
}
