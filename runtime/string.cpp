// string.cpp - String: an immutable text of 16-bit units behind a shared,
// reference-counted representation, its operations, the number texts, and the byte
// encodings used for files, the state file and C library calls.
//
// Sections:
//   - representation: the shared empty text, allocation, sharing
//   - construction
//   - searching, slicing, splitting, replacing, case
//   - C texts
//   - byte encodings: Load (UTF-16 with a mark, UTF-8, byte fallback) and Save (UTF-8)

#include "runtime/runtime.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// All empty strings share this one; it is never freed.
String::Rep g_empty_rep = {1, 0, {0}};

constexpr int kFileBlock = 4096;

int length16(const char16_t* text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

bool units_equal(const char16_t* a, const char16_t* b, int n) {
    return n == 0 || std::memcmp(a, b, sizeof(char16_t) * static_cast<std::size_t>(n)) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Representation
// ---------------------------------------------------------------------------

String::Rep* String::Alloc(int length) {
    if (length <= 0) {
        ++g_empty_rep.refs;
        return &g_empty_rep;
    }
    std::size_t bytes = offsetof(Rep, data) + sizeof(char16_t) * static_cast<std::size_t>(length);
    Rep* r = static_cast<Rep*>(std::malloc(bytes));
    r->refs = 1;
    r->length = length;
    return r;
}

void String::Release(Rep* r) {
    // Only the shared empty text has length 0, and it is never freed.
    if (--r->refs == 0 && r != &g_empty_rep) std::free(r);
}

String::String() : rep(&g_empty_rep) { ++rep->refs; }
String::String(const String& s) : rep(s.rep) { ++rep->refs; }
String::String(String&& s) noexcept : rep(s.rep) {
    s.rep = &g_empty_rep;
    ++g_empty_rep.refs;
}
String::~String() { Release(rep); }

String& String::operator=(const String& s) {
    // Take the new reference first, so assigning a string to itself is safe.
    ++s.rep->refs;
    Release(rep);
    rep = s.rep;
    return *this;
}

String& String::operator=(String&& s) noexcept {
    if (this != &s) {
        Release(rep);
        rep = s.rep;
        s.rep = &g_empty_rep;
        ++g_empty_rep.refs;
    }
    return *this;
}

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

String::String(const char16_t* units, int count) : rep(Alloc(count)) {
    if (count > 0) std::memcpy(rep->data, units, sizeof(char16_t) * static_cast<std::size_t>(count));
}

String::String(const char16_t* text) : String(text, length16(text)) {}

String::String(const char* text) : rep(Alloc(static_cast<int>(std::strlen(text)))) {
    // Bytes are widened as signed values: 0x80..0xFF become 0xFF80..0xFFFF.
    for (int i = 0; i < rep->length; ++i) {
        rep->data[i] = static_cast<char16_t>(static_cast<short>(static_cast<signed char>(text[i])));
    }
}

String::String(const unsigned char* bytes, int count) : rep(Alloc(count)) {
    for (int i = 0; i < count; ++i) rep->data[i] = bytes[i];
}

String::String(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%i", value);
    String text(buf);
    rep = text.rep;
    ++rep->refs;
}

String::String(float value) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.17lg", static_cast<double>(value));
    if (!std::strchr(buf, '.') && !std::strchr(buf, 'e')) std::strcat(buf, ".0");
    String text(buf);
    rep = text.rep;
    ++rep->refs;
}

String T(const char* text) { return String(text); }
String T(const char16_t* text) { return String(text); }

// ---------------------------------------------------------------------------
// Searching, slicing, splitting, replacing, case
// ---------------------------------------------------------------------------

int String::Find(const String& sub, int start) const {
    if (start < 0) start = 0;
    for (int i = start; i + sub.Length() <= Length(); ++i) {
        if (units_equal(rep->data + i, sub.rep->data, sub.Length())) return i;
    }
    return -1;
}

int String::FindLast(const String& sub) const {
    for (int i = Length() - sub.Length(); i >= 0; --i) {
        if (units_equal(rep->data + i, sub.rep->data, sub.Length())) return i;
    }
    return -1;
}

bool String::StartsWith(const String& prefix) const {
    return prefix.Length() <= Length() && units_equal(rep->data, prefix.rep->data, prefix.Length());
}

String String::Slice(int from) const { return Slice(from, Length()); }

String String::Slice(int from, int to) const {
    int len = Length();
    if (from < 0) {
        from += len;
        if (from < 0) from = 0;
    } else if (from > len) {
        from = len;
    }
    // A negative end counts from the end but is not clamped further: an end that
    // stays below the start gives the empty text.
    if (to < 0) {
        to += len;
    } else if (to > len) {
        to = len;
    }
    if (to < from) return String();
    if (from == 0 && to == len) return *this;
    return String(rep->data + from, to - from);
}

Array<String> String::Split(const String& separator) const {
    int len = Length();
    if (separator.Length() == 0) {
        Array<String> parts(len);
        for (int i = 0; i < len; ++i) parts[i] = String(rep->data + i, 1);
        return parts;
    }
    int count = 0;
    for (int i = Find(separator); i != -1; i = Find(separator, i + separator.Length())) ++count;
    Array<String> parts(count + 1);
    if (count == 0) {
        parts[0] = *this;
        return parts;
    }
    int start = 0, n = 0;
    for (int i = Find(separator); i != -1; i = Find(separator, start)) {
        parts[n++] = Slice(start, i);
        start = i + separator.Length();
    }
    parts[n] = Slice(start);
    return parts;
}

String String::Replace(const String& find, const String& replacement) const {
    // An empty search text matches nowhere: the text comes back unchanged.
    if (find.Length() == 0) return *this;
    int count = 0;
    for (int i = Find(find); i != -1; i = Find(find, i + find.Length())) ++count;
    if (count == 0) return *this;

    int total = Length() + count * (replacement.Length() - find.Length());
    Rep* r = Alloc(total);
    char16_t* out = r->data;
    int start = 0;
    for (int i = Find(find); i != -1; i = Find(find, start)) {
        std::memcpy(out, rep->data + start, sizeof(char16_t) * static_cast<std::size_t>(i - start));
        out += i - start;
        std::memcpy(out, replacement.rep->data, sizeof(char16_t) * static_cast<std::size_t>(replacement.Length()));
        out += replacement.Length();
        start = i + find.Length();
    }
    std::memcpy(out, rep->data + start, sizeof(char16_t) * static_cast<std::size_t>(Length() - start));
    return String(r);
}

String String::ToLower() const {
    // The C library's tolower is defined only for byte values; units above 255 never
    // change in the C locale anyway.
    auto lower = [](char16_t c) -> char16_t {
        return c < 256 ? static_cast<char16_t>(std::tolower(c)) : c;
    };
    int first = 0;
    while (first < Length() && lower(rep->data[first]) == rep->data[first]) ++first;
    if (first == Length()) return *this;
    Rep* r = Alloc(Length());
    for (int i = 0; i < Length(); ++i) r->data[i] = lower(rep->data[i]);
    return String(r);
}

bool String::operator==(const String& s) const {
    return rep == s.rep || (Length() == s.Length() && units_equal(rep->data, s.rep->data, Length()));
}

String String::operator+(const String& s) const {
    if (Length() == 0) return s;
    if (s.Length() == 0) return *this;
    Rep* r = Alloc(Length() + s.Length());
    std::memcpy(r->data, rep->data, sizeof(char16_t) * static_cast<std::size_t>(Length()));
    std::memcpy(r->data + Length(), s.rep->data, sizeof(char16_t) * static_cast<std::size_t>(s.Length()));
    return String(r);
}

void String::t_create(int n, String* storage) {
    for (int i = 0; i < n; ++i) new (storage + i) String();
}

void String::t_create(int n, String* storage, const String* source) {
    for (int i = 0; i < n; ++i) new (storage + i) String(source[i]);
}

void String::t_destroy(int n, String* storage) {
    for (int i = 0; i < n; ++i) storage[i].~String();
}

// ---------------------------------------------------------------------------
// C texts
// ---------------------------------------------------------------------------

template <>
const char* String::ToCString<char>() const {
    Array<char> buf(Length() + 1);
    for (int i = 0; i < Length(); ++i) buf[i] = static_cast<char>(rep->data[i]);
    buf[Length()] = 0;
    return buf.Data();
}

template <>
const char16_t* String::ToCString<char16_t>() const {
    Array<char16_t> buf(Length() + 1);
    for (int i = 0; i < Length(); ++i) buf[i] = rep->data[i];
    buf[Length()] = 0;
    return buf.Data();
}

const char* String::ToUtf8CString() const {
    std::vector<unsigned char> bytes;
    Save(bytes);
    Array<char> buf(static_cast<int>(bytes.size()) + 1);
    if (!bytes.empty()) std::memcpy(buf.Data(), bytes.data(), bytes.size());
    buf[static_cast<int>(bytes.size())] = 0;
    return buf.Data();
}

std::string String::ToUtf8() const {
    std::vector<unsigned char> bytes;
    Save(bytes);
    return std::string(bytes.begin(), bytes.end());
}

// ---------------------------------------------------------------------------
// Byte encodings
// ---------------------------------------------------------------------------

namespace {

String decode_utf16(const unsigned char* p, int count, bool big_endian) {
    int n = count / 2;  // a trailing odd byte is ignored
    std::vector<char16_t> units(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        unsigned hi = p[2 * i], lo = p[2 * i + 1];
        units[i] = static_cast<char16_t>(big_endian ? (hi << 8 | lo) : (lo << 8 | hi));
    }
    return String(units.data(), n);
}

bool is_cont(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes UTF-8 of one, two and three bytes; false on anything else.
bool decode_utf8(const unsigned char* p, int count, std::vector<char16_t>& out) {
    int i = 0;
    while (i < count) {
        unsigned c = p[i];
        if (c < 0x80) {
            out.push_back(static_cast<char16_t>(c));
            i += 1;
        } else if ((c & 0xE0) == 0xC0) {
            if (i + 1 >= count || !is_cont(p[i + 1])) return false;
            out.push_back(static_cast<char16_t>((c & 0x1F) << 6 | (p[i + 1] & 0x3F)));
            i += 2;
        } else if ((c & 0xF0) == 0xE0) {
            if (i + 2 >= count || !is_cont(p[i + 1]) || !is_cont(p[i + 2])) return false;
            out.push_back(static_cast<char16_t>((c & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F)));
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

String String::Load(const unsigned char* bytes, int count) {
    if (count <= 0) return String();
    if (count >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return decode_utf16(bytes + 2, count - 2, true);
    if (count >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return decode_utf16(bytes + 2, count - 2, false);

    int skip = (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) ? 3 : 0;
    std::vector<char16_t> units;
    units.reserve(static_cast<std::size_t>(count - skip));
    if (decode_utf8(bytes + skip, count - skip, units)) {
        return String(units.data(), static_cast<int>(units.size()));
    }
    std::puts("Invalid UTF-8!");
    std::fflush(stdout);
    return String(bytes, count);  // the whole input, mark included, one unit per byte
}

void String::Save(std::vector<unsigned char>& out) const {
    for (int i = 0; i < Length(); ++i) {
        unsigned c = rep->data[i];
        if (c < 0x80) {
            out.push_back(static_cast<unsigned char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<unsigned char>(0xC0 | c >> 6));
            out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<unsigned char>(0xE0 | c >> 12));
            out.push_back(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
        }
    }
}

String String::Load(FILE* file) {
    std::vector<unsigned char> bytes;
    unsigned char block[kFileBlock];
    for (;;) {
        std::size_t n = std::fread(block, 1, kFileBlock, file);
        bytes.insert(bytes.end(), block, block + n);
        if (n < static_cast<std::size_t>(kFileBlock)) break;
    }
    return Load(bytes.data(), static_cast<int>(bytes.size()));
}

bool String::Save(FILE* file) const {
    std::vector<unsigned char> bytes;
    Save(bytes);
    if (bytes.empty()) return true;
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}
