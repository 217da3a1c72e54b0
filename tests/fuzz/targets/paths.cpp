// paths.cpp - fuzz target of the data path mapping: kx_data_FixDataPath (a bare
// asset name completed to "quorvel://data/" + name) and mapDataPath (the file a
// toolkit path stands for, as fopenFile opens it). Both are checked against a
// second, independent reading of the rules, and completing a name is checked to be
// idempotent. The first input byte picks how the rest becomes a text: bytes as
// characters, or little-endian 16-bit units.
#include <string>

#include "host/paths.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

const char kName[] = "paths";
const std::u16string kToolkit = u"quorvel://";
const std::u16string kData = u"quorvel://data/";

struct Folder {
    const char16_t* scheme;
    const char* folder;
};
const Folder kFolders[] = {
    {u"quorvel://data/", "./data/"},
    {u"quorvel://internal/", "./internal/"},
    {u"quorvel://external/", "./external/"},
};

std::u16string Units(const String& s) { return std::u16string(s.Data(), static_cast<std::size_t>(s.Length())); }
String Text(const std::u16string& u) { return String(u.data(), static_cast<int>(u.size())); }

bool StartsWith(const std::u16string& s, const std::u16string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

std::u16string ExpectedFix(const std::u16string& p) {
    const std::size_t colon = p.find(u":/");
    if (colon != std::u16string::npos && p.find(u'/') == colon + 1) return p;
    if (StartsWith(p, u"./") || StartsWith(p, u"/")) return p;
    return kData + p;
}

// Unit by unit: one, two or three bytes, surrogates each on their own.
std::string Utf8(const std::u16string& u) {
    std::string out;
    for (char16_t c : u) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The file a path opens, or false when it opens none.
bool ExpectedMap(const std::u16string& p, std::string* out) {
    if (!StartsWith(p, kToolkit)) {
        *out = Utf8(p);
    } else {
        bool known = false;
        for (const Folder& f : kFolders) {
            const std::u16string scheme = f.scheme;
            if (!StartsWith(p, scheme)) continue;
            *out = f.folder + Utf8(p.substr(scheme.size()));
            known = true;
            break;
        }
        if (!known) return false;
    }
    return out->find('\0') == std::string::npos;
}

std::u16string Decode(const std::uint8_t* data, std::size_t size) {
    std::u16string u;
    if (size == 0) return u;
    if (data[0] & 1) {
        for (std::size_t i = 1; i + 1 < size; i += 2) u += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    } else {
        for (std::size_t i = 1; i < size; ++i) u += static_cast<char16_t>(data[i]);
    }
    return u;
}

void CheckMap(const String& path) {
    std::string mapped, expected;
    const bool opens = mapDataPath(path, &mapped);
    FUZZ_CHECK(kName, opens == ExpectedMap(Units(path), &expected));
    if (opens) FUZZ_CHECK(kName, mapped == expected);
}

}  // namespace

namespace fuzz {

int Paths(const std::uint8_t* data, std::size_t size) {
    const std::u16string units = Decode(data, size);
    const String path = Text(units);
    const String fixed = kx_data_FixDataPath(path);
    FUZZ_CHECK(kName, Units(fixed) == ExpectedFix(units));
    FUZZ_CHECK(kName, kx_data_FixDataPath(fixed) == fixed);
    CheckMap(path);
    CheckMap(fixed);
    return 0;
}

}  // namespace fuzz
