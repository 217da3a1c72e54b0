// ogg_headers.cpp - checks an Ogg Vorbis file's header packets (identification,
// comment, setup) before the Vorbis decoder trusts them: the comment header's
// lengths must lie inside its packet, and every codebook of the setup header must
// be whole and small enough that the decoder's tables for it fit its memory. Only
// the codebooks are walked: the rest of the setup header has fields too narrow to
// size anything dangerous. Called by decodeOgg (media/audio_device.cpp).
#include "media/ogg_headers.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kPageHeaderBytes = 27;
constexpr int kFlagsAt = 5;
constexpr int kSegmentsAt = 26;
constexpr std::uint8_t kContinuedPacket = 1;
constexpr int kLastSegmentSize = 255;      // a lacing value below this ends a packet
constexpr long kMaxHeaderBytes = 1 << 22;  // headers beyond this are refused unread
constexpr int kPacketComment = 3;
constexpr int kPacketSetup = 5;
constexpr int kPacketTagBytes = 7;         // the type byte and "vorbis"
constexpr std::uint32_t kCodebookSync = 0x564342;
constexpr std::uint64_t kMaxDecoderInt = 0x7FFFFFFF;
constexpr int kMaxCodewordLength = 32;
constexpr int kMaxLookupType = 2;

using Bytes = std::vector<std::uint8_t>;

// Whole packets, in order, from consecutive Ogg pages.
class PacketReader {
public:
    explicit PacketReader(FILE* f) : f_(f) {}

    bool Next(Bytes* packet) {
        packet->clear();
        for (bool started = false;; started = true) {
            if (next_ == lacing_.size()) {
                if (!ReadPage()) return false;
                // As the decoder reads: a packet goes on only onto a page marked as
                // continuing one, and a fresh packet never starts on such a page.
                if (started != ((flags_ & kContinuedPacket) != 0)) return false;
                if (lacing_.empty()) return false;
            }
            const int size = lacing_[next_++];
            if (!Take(size, packet)) return false;
            if (size < kLastSegmentSize) return true;
        }
    }

private:
    bool ReadPage() {
        std::uint8_t header[kPageHeaderBytes];
        if (!Read(header, sizeof header) || std::memcmp(header, "OggS", 4) != 0) return false;
        flags_ = header[kFlagsAt];
        lacing_.assign(header[kSegmentsAt], 0);
        next_ = 0;
        return lacing_.empty() || Read(lacing_.data(), lacing_.size());
    }
    bool Take(int size, Bytes* packet) {
        const std::size_t at = packet->size();
        packet->resize(at + static_cast<std::size_t>(size));
        return size == 0 || Read(packet->data() + at, static_cast<std::size_t>(size));
    }
    bool Read(std::uint8_t* out, std::size_t n) {
        read_ += static_cast<long>(n);
        return read_ <= kMaxHeaderBytes && std::fread(out, 1, n, f_) == n;
    }

    FILE* f_;
    Bytes lacing_;
    std::uint8_t flags_ = 0;
    std::size_t next_ = 0;
    long read_ = 0;
};

bool IsHeader(const Bytes& p, int type) {
    return p.size() >= kPacketTagBytes && p[0] == type && std::memcmp(&p[1], "vorbis", 6) == 0;
}

// Vendor string, then a count of comments, each a length and its text; every
// length must fit in what is left of the packet.
bool CommentSound(const Bytes& p) {
    if (!IsHeader(p, kPacketComment)) return true;  // the decoder refuses it itself
    std::size_t at = kPacketTagBytes;
    auto word = [&](std::uint32_t* v) {
        if (p.size() - at < 4) return false;
        *v = p[at] | p[at + 1] << 8 | p[at + 2] << 16 | static_cast<std::uint32_t>(p[at + 3]) << 24;
        at += 4;
        return true;
    };
    std::uint32_t length = 0, count = 0;
    if (!word(&length) || length > p.size() - at) return false;
    at += length;
    if (!word(&count) || count > (p.size() - at) / 4) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!word(&length) || length > p.size() - at) return false;
        at += length;
    }
    return true;
}

// Vorbis packs fields least significant bit first.
class BitReader {
public:
    explicit BitReader(const Bytes& p) : p_(p) {}
    bool Get(int bits, std::uint64_t* v) {
        *v = 0;
        for (int i = 0; i < bits; ++i, ++bit_) {
            if (bit_ / 8 >= p_.size()) return false;
            *v |= static_cast<std::uint64_t>((p_[bit_ / 8] >> (bit_ % 8)) & 1) << i;
        }
        return true;
    }
    bool Skip(std::uint64_t bits) {
        if (bits > p_.size() * 8 - bit_) return false;
        bit_ += bits;
        return true;
    }

private:
    const Bytes& p_;
    std::uint64_t bit_ = 0;
};

int BitsFor(std::uint64_t n) {
    int bits = 0;
    while (n) {
        ++bits;
        n >>= 1;
    }
    return bits;
}

// True when r to the power dims is at most `limit`.
bool PowerAtMost(std::uint64_t r, std::uint64_t dims, std::uint64_t limit) {
    std::uint64_t power = 1;
    for (std::uint64_t i = 0; i < dims && power != 0; ++i) {
        power *= r;
        if (power > limit) return false;
    }
    return power <= limit;
}

// The largest r with r to the power dims not above entries.
std::uint64_t Lookup1Values(std::uint64_t entries, std::uint64_t dims) {
    std::uint64_t lo = 0, hi = entries;
    while (lo < hi) {
        const std::uint64_t mid = lo + (hi - lo + 1) / 2;
        if (PowerAtMost(mid, dims, entries)) lo = mid; else hi = mid - 1;
    }
    return lo;
}

bool CodewordLengthsSound(BitReader& r, std::uint64_t entries) {
    std::uint64_t ordered, v;
    if (!r.Get(1, &ordered)) return false;
    if (ordered) {
        std::uint64_t length;
        if (!r.Get(5, &length)) return false;
        for (std::uint64_t entry = 0; entry < entries; ++length) {
            if (length + 1 >= kMaxCodewordLength) return false;
            if (!r.Get(BitsFor(entries - entry), &v) || v > entries - entry) return false;
            entry += v;
        }
        return true;
    }
    std::uint64_t sparse;
    if (!r.Get(1, &sparse)) return false;
    for (std::uint64_t i = 0; i < entries; ++i) {
        std::uint64_t present = 1;
        if (sparse && !r.Get(1, &present)) return false;
        if (present && !r.Get(5, &v)) return false;
    }
    return true;
}

// One codebook: its entries, dimensions and value table must fit `maxBytes` as the
// decoder lays them out (a float per entry and dimension at most).
bool CodebookSound(BitReader& r, std::size_t maxBytes) {
    std::uint64_t sync, dims, entries, lookupType;
    if (!r.Get(24, &sync) || sync != kCodebookSync) return false;
    if (!r.Get(16, &dims) || !r.Get(24, &entries)) return false;
    if (entries * dims * sizeof(float) > maxBytes || entries * sizeof(std::uint32_t) > maxBytes) return false;
    if (!CodewordLengthsSound(r, entries)) return false;
    if (!r.Get(4, &lookupType) || lookupType > kMaxLookupType) return false;
    if (lookupType == 0) return true;
    std::uint64_t ignored, valueBits;
    if (!r.Get(32, &ignored) || !r.Get(32, &ignored) || !r.Get(4, &valueBits) || !r.Get(1, &ignored)) return false;
    const std::uint64_t values = lookupType == 1 ? Lookup1Values(entries, dims) : entries * dims;
    // The decoder checks its own count of a table of the first kind by raising
    // count + 1 to the power dims and converting the result to an int: it must fit.
    if (lookupType == 1 && !PowerAtMost(values + 1, dims, kMaxDecoderInt)) return false;
    return r.Skip(values * (valueBits + 1));
}

bool SetupSound(const Bytes& p, std::size_t maxBytes) {
    if (!IsHeader(p, kPacketSetup)) return true;  // the decoder refuses it itself
    BitReader r(p);
    std::uint64_t count;
    if (!r.Skip(kPacketTagBytes * 8) || !r.Get(8, &count)) return false;
    for (std::uint64_t i = 0; i <= count; ++i) {
        if (!CodebookSound(r, maxBytes)) return false;
    }
    return true;
}

}  // namespace

bool oggHeadersSound(FILE* file, std::size_t maxTableBytes) {
    const long start = std::ftell(file);
    if (start < 0) return false;
    PacketReader packets(file);
    Bytes identification, comment, setup;
    const bool sound = packets.Next(&identification) && packets.Next(&comment) && CommentSound(comment) &&
                       packets.Next(&setup) && SetupSound(setup, maxTableBytes);
    return std::fseek(file, start, SEEK_SET) == 0 && sound;
}
