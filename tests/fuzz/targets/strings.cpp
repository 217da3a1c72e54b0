// strings.cpp - fuzz target of the byte decoding of texts (String::Load): UTF-16
// with either byte order mark, UTF-8 with or without its mark, and the fallback of
// one unit per byte. The decoder is checked against a second, independent reading
// of the same rules, against its own reading of the bytes through a FILE (which
// reads in blocks), and by round trips through the encoder (String::Save).
#include <algorithm>
#include <vector>

#include "runtime/runtime.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

const char kName[] = "strings";
constexpr char16_t kByteOrderMark = 0xFEFF;

using Units = std::vector<char16_t>;

Units Utf16(const std::uint8_t* p, std::size_t n, bool bigEndian) {
    Units out;
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        out.push_back(bigEndian ? static_cast<char16_t>(p[i] << 8 | p[i + 1])
                                : static_cast<char16_t>(p[i + 1] << 8 | p[i]));
    }
    return out;
}

bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// UTF-8 of one, two or three bytes (overlong forms accepted); false at anything else.
bool Utf8(const std::uint8_t* p, std::size_t n, Units* out) {
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = p[i];
        if (b < 0x80) {
            out->push_back(b);
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < n && IsContinuation(p[i + 1])) {
            out->push_back(static_cast<char16_t>((b & 0x1F) << 6 | (p[i + 1] & 0x3F)));
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && i + 2 < n && IsContinuation(p[i + 1]) && IsContinuation(p[i + 2])) {
            out->push_back(static_cast<char16_t>((b & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F)));
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

// What the bytes must decode to.
Units Expected(const std::uint8_t* p, std::size_t n) {
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) return Utf16(p + 2, n - 2, true);
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return Utf16(p + 2, n - 2, false);
    const std::size_t skip = (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) ? 3 : 0;
    Units units;
    if (Utf8(p + skip, n - skip, &units)) return units;
    return Units(p, p + n);  // every byte, the mark included
}

bool Same(const String& s, const Units& units) {
    if (s.Length() != static_cast<int>(units.size())) return false;
    for (int i = 0; i < s.Length(); ++i) {
        if (s[i] != units[static_cast<std::size_t>(i)]) return false;
    }
    return true;
}

String Decode(const std::vector<unsigned char>& bytes) {
    return String::Load(bytes.data(), static_cast<int>(bytes.size()));
}

void CheckRoundTrip(const String& s) {
    std::vector<unsigned char> encoded;
    s.Save(encoded);
    FUZZ_CHECK(kName, encoded.size() <= static_cast<std::size_t>(s.Length()) * 3);
    // Whatever the encoder writes is UTF-8 this decoder accepts, without a mark.
    Units reread;
    FUZZ_CHECK(kName, Utf8(encoded.data(), encoded.size(), &reread));
    FUZZ_CHECK(kName, Same(s, reread));
    FUZZ_CHECK(kName, s.ToUtf8() == std::string(encoded.begin(), encoded.end()));

    // Decoding what was encoded gives the text back, except that a leading U+FEFF
    // is written as the bytes of a mark and therefore read as one.
    const String back = Decode(encoded);
    const bool leadingMark = s.Length() > 0 && s[0] == kByteOrderMark;
    FUZZ_CHECK(kName, back == (leadingMark ? s.Slice(1) : s));
    std::vector<unsigned char> again;
    back.Save(again);
    const std::size_t markBytes = leadingMark ? 3 : 0;
    FUZZ_CHECK(kName, again.size() + markBytes == encoded.size());
    FUZZ_CHECK(kName, std::equal(again.begin(), again.end(), encoded.begin() + static_cast<long>(markBytes)));
}

}  // namespace

namespace fuzz {

int Strings(const std::uint8_t* data, std::size_t size) {
    const int count = static_cast<int>(size);
    const String decoded = String::Load(data, count);
    FUZZ_CHECK(kName, Same(decoded, Expected(data, size)));
    FUZZ_CHECK(kName, decoded.Length() <= count);
    // Every empty result shares the one empty representation.
    if (decoded.Length() == 0) FUZZ_CHECK(kName, decoded.SharesRep(String()));

    FILE* file = OpenBytes(data, size);
    if (file) {
        const String fromFile = String::Load(file);
        std::fclose(file);
        FUZZ_CHECK(kName, fromFile == decoded);
    }
    CheckRoundTrip(decoded);
    return 0;
}

}  // namespace fuzz
