// The one builder of media files for tests, BMP, WAV, Vorbis and Ogg, sound until a test breaks
// one.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mediafiles {

struct Rgb {
    uint8_t r, g, b;
};
// Test pictures' colours by the letter each shows as, the first entries of every palette.
inline const std::vector<std::pair<char, Rgb>> LETTERS = {
    {'.', {32, 32, 32}}, {'W', {255, 255, 255}}, {'R', {255, 0, 0}}, {'G', {0, 255, 0}},
    {'B', {0, 0, 255}},  {'M', {255, 0, 255}},   {'K', {0, 0, 0}},   {'c', {1, 2, 3}}};

inline std::string le(uint64_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += char(v >> (8 * i));
    return s;
}

struct Bmp {
    uint32_t headerSize = 40;
    int64_t width = 5, height = 3; // a negative height: top-down
    uint16_t planes = 1, bits = 24;
    uint32_t compression = 0, colours = 0; // colours 0: as many as the bits allow, at 8 or fewer
    int64_t paletteEntries = -1;           // palette entries written; -1: what colours says
    std::string masks;                     // bit fields (and alpha), after or in the header
    size_t gap = 0;                        // bytes between header (and palette) and pixels
    int64_t pixelOffset = -1;              // -1: right after what comes before
    int64_t cutPixels = 0;                 // bytes cut off the end of the pixels
    std::vector<std::string> rows;         // letters of a 8 or 24-bit picture, top row first
    std::string bytes() const;
};

inline std::string Bmp::bytes() const {
    const int64_t w = rows.empty() ? width : int64_t(rows[0].size());
    const int64_t h = rows.empty() ? height : int64_t(rows.size());
    const int64_t rowBytes = (w * bits + 31) / 32 * 4;
    std::string pixels;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        std::string line;
        for (char c : *row) {
            size_t k = 0;
            while (k + 1 < LETTERS.size() && LETTERS[k].first != c)
                ++k;
            const Rgb& v = LETTERS[k].second;
            line +=
                bits == 8 ? std::string(1, char(k)) : std::string{char(v.b), char(v.g), char(v.r)};
        }
        line.resize(size_t(rowBytes), '\0');
        pixels += line;
    }
    // A header with absurd sizes needs no pixels to be refused.
    const int64_t length = std::min<int64_t>(rowBytes * (h < 0 ? -h : h) - cutPixels, 1 << 22);
    for (int64_t i = 0; rows.empty() && i < length; ++i)
        pixels += char(i * 7 % 13); // inside any palette of 13 colours or more
    std::string header = le(headerSize, 4) + le(uint64_t(w), 4) + le(uint64_t(h), 4) +
                         le(planes, 2) + le(bits, 2) + le(compression, 4) + le(pixels.size(), 4) +
                         le(2835, 4) + le(2835, 4) + le(colours, 4) + le(0, 4);
    if (headerSize == 12)
        header = le(12, 4) + le(uint64_t(w), 2) + le(uint64_t(h), 2) + le(planes, 2) + le(bits, 2);
    header.resize(headerSize, '\0');
    // Headers of 52 bytes or more hold the masks themselves.
    if (headerSize > 40) header.replace(40, std::min<size_t>(masks.size(), headerSize - 40), masks);
    const int64_t entries = paletteEntries >= 0 ? paletteEntries
                            : bits <= 8         ? (colours ? colours : 1 << bits)
                                                : 0;
    std::string palette;
    for (int64_t i = 0; i < entries; ++i) {
        const Rgb v = size_t(i) < LETTERS.size()
                          ? LETTERS[i].second
                          : Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)};
        palette += std::string{char(v.b), char(v.g), char(v.r)} +
                   std::string(headerSize == 12 ? 0 : 1, '\0');
    }
    const std::string before =
        header + (headerSize > 40 ? "" : masks) + palette + std::string(gap, '\0');
    const uint64_t offset = pixelOffset >= 0 ? uint64_t(pixelOffset) : 14 + before.size();
    return "BM" + le(14 + before.size() + pixels.size(), 4) + le(0, 4) + le(offset, 4) + before +
           pixels;
}

inline std::string riff(const std::string& chunks) {
    return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + chunks;
}
// A chunk padded to an even length, as the format says (pad false: left odd).
inline std::string chunk(const std::string& id, const std::string& body, bool pad = true) {
    return id + le(body.size(), 4) + body + (pad && body.size() % 2 ? std::string(1, '\0') : "");
}
inline std::string fmt(int format, int channels, uint32_t rate, int bits, int block = -1) {
    const int align = block >= 0 ? block : channels * bits / 8;
    return chunk("fmt ", le(format, 2) + le(channels, 2) + le(rate, 4) + le(rate * align, 4) +
                             le(align, 2) + le(bits, 2));
}
inline std::string samples(size_t n = 8) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += char(0x40 + i);
    return chunk("data", s);
}

// Fields of (value, bits) appended least significant bit first within each byte, as Vorbis packs.
struct BitWriter {
    std::string bytes;
    size_t bit = 0;
    void put(std::initializer_list<std::pair<uint64_t, int>> fields) {
        for (auto [value, n] : fields)
            for (int i = 0; i < n; ++i, ++bit) {
                if (bit % 8 == 0) bytes += '\0';
                if (value >> i & 1) bytes.back() = char(bytes.back() | 1 << (bit % 8));
            }
    }
};

struct Codebook {
    int dimensions = 1;
    uint32_t entries = 2;
    std::vector<int> lengths = {1, 1}; // 0: unused (the book is then written sparse)
    bool ordered = false;              // lengths then go in runs from orderedFirst, of these sizes
    int orderedFirst = 1;
    std::vector<uint32_t> runs;
    int lookup = 0;
    uint32_t sync = 0x564342;
};
struct Floor {
    int type = 1;
    std::vector<int> partitionClass = {0};
    int classDimensions = 1, subclasses = 0, masterbook = 0;
    std::vector<int> subBooks = {0}; // -1: none
    int rangeBits = 4;
    std::vector<uint32_t> x = {5};
};
struct Residue {
    int type = 2;
    uint32_t begin = 0, end = 64, partition = 2;
    int classes = 2, classBook = 0;
    std::vector<int> passBook = {1, -1}; // the first pass's book of each class, -1: none
};
struct Mapping {
    int type = 0, submaps = 1;
    std::vector<std::pair<int, int>> coupling; // magnitude, angle
    int reserved = 0;
    std::vector<int> mux;
    int floor = 0, residue = 0;
};

// A small setup header a decoder takes: a scalar book, a lattice book, one floor, residue, mapping
// and mode. Tests change one field to break one property.
struct SetupHeader {
    int channels = 1;
    std::vector<Codebook> books = {Codebook{}, Codebook{2, 4, {2, 2, 2, 2}, false, 1, {}, 1}};
    int transform = 0;
    std::vector<Floor> floors = {Floor{}};
    std::vector<Residue> residues = {Residue{}};
    std::vector<Mapping> mappings = {Mapping{}};
    int modeWindow = 0, modeMapping = 0, framing = 1;
    std::string bytes() const;
};

inline int ilog(uint32_t v) {
    return v ? 1 + ilog(v >> 1) : 0;
}

inline void putBook(BitWriter& w, const Codebook& b) {
    w.put({{b.sync, 24}, {b.dimensions, 16}, {b.entries, 24}, {b.ordered, 1}});
    if (b.ordered) {
        w.put({{b.orderedFirst - 1, 5}});
        uint32_t done = 0;
        for (uint32_t run : b.runs)
            w.put({{run, ilog(b.entries - done)}}), done += run;
    } else {
        const bool sparse = std::count(b.lengths.begin(), b.lengths.end(), 0) > 0;
        w.put({{sparse, 1}});
        for (int l : b.lengths)
            w.put({{l != 0, sparse ? 1 : 0}, {l - 1, l ? 5 : 0}});
    }
    w.put({{b.lookup, 4}});
    if (b.lookup != 1 && b.lookup != 2) return;
    w.put({{0, 32}, {0x60100000, 32}, {0, 4}, {0, 1}}); // from 0 by 1.0, one bit a value
    uint64_t values = b.lookup == 2 ? uint64_t(b.entries) * b.dimensions : 0;
    // With no dimensions every number is a lattice value: the check stops before them.
    for (uint64_t p = 1; b.lookup == 1 && b.dimensions > 0 && p <= b.entries; ++values) {
        p = 1;
        for (int i = 0; i < b.dimensions; ++i)
            p *= values + 2;
    }
    for (uint64_t i = 0; i < values; ++i)
        w.put({{i & 1, 1}});
}

inline std::string SetupHeader::bytes() const {
    BitWriter w;
    for (char c : std::string("\5vorbis"))
        w.put({{uint8_t(c), 8}});
    w.put({{books.size() - 1, 8}});
    for (const Codebook& b : books)
        putBook(w, b);
    w.put({{0, 6}, {transform, 16}, {floors.size() - 1, 6}});
    for (const Floor& f : floors) {
        w.put({{f.type, 16}});
        if (f.type != 1) continue;
        w.put({{f.partitionClass.size(), 5}});
        for (int c : f.partitionClass)
            w.put({{c, 4}});
        const int highest = *std::max_element(f.partitionClass.begin(), f.partitionClass.end());
        for (int c = 0; c <= highest; ++c) {
            w.put({{f.classDimensions - 1, 3},
                   {f.subclasses, 2},
                   {f.masterbook, f.subclasses ? 8 : 0}});
            for (int j = 0; j < (1 << f.subclasses); ++j)
                w.put({{f.subBooks[j % f.subBooks.size()] + 1, 8}});
        }
        w.put({{1, 2}, {f.rangeBits, 4}});
        for (uint32_t x : f.x)
            w.put({{x, f.rangeBits}});
    }
    w.put({{residues.size() - 1, 6}});
    for (const Residue& r : residues) {
        w.put(
            {{r.type, 16}, {r.begin, 24}, {r.end, 24}, {r.partition - 1, 24}, {r.classes - 1, 6}});
        w.put({{r.classBook, 8}});
        auto book = [&r](int c) { return c < int(r.passBook.size()) ? r.passBook[c] : -1; };
        for (int c = 0; c < r.classes; ++c)
            w.put({{book(c) >= 0, 3}, {0, 1}});
        for (int c = 0; c < r.classes; ++c)
            w.put({{book(c), book(c) >= 0 ? 8 : 0}});
    }
    w.put({{mappings.size() - 1, 6}});
    for (const Mapping& m : mappings) {
        w.put({{m.type, 16}});
        if (m.type != 0) continue;
        w.put(
            {{m.submaps > 1, 1}, {m.submaps - 1, m.submaps > 1 ? 4 : 0}, {!m.coupling.empty(), 1}});
        if (!m.coupling.empty()) w.put({{m.coupling.size() - 1, 8}});
        for (auto [magnitude, angle] : m.coupling)
            w.put({{magnitude, ilog(channels - 1)}, {angle, ilog(channels - 1)}});
        w.put({{m.reserved, 2}});
        for (int c = 0; m.submaps > 1 && c < channels; ++c)
            w.put({{m.mux[c], 4}});
        for (int i = 0; i < m.submaps; ++i)
            w.put({{0, 8}, {m.floor, 8}, {m.residue, 8}});
    }
    w.put({{0, 6}, {0, 1}, {modeWindow, 16}, {0, 16}, {modeMapping, 8}, {framing, 1}});
    return w.bytes;
}

// The Ogg page checksum: CRC-32 with polynomial 0x04c11db7, no reflection, over the page with its
// checksum field zeroed.
inline uint32_t pageCrc(const std::string& page) {
    uint32_t crc = 0;
    for (unsigned char c : page) {
        crc ^= uint32_t(c) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

struct Page {
    std::string header; // 27 bytes and the lacing values
    std::string body;
    uint8_t flags() const { return uint8_t(header[5]); }
    uint32_t serial() const {
        return uint32_t(uint8_t(header[14])) | uint8_t(header[15]) << 8 |
               uint8_t(header[16]) << 16 | uint32_t(uint8_t(header[17])) << 24;
    }
    void setSerial(uint32_t s) { header.replace(14, 4, le(s, 4)); }
    // The page as bytes, its checksum made right.
    std::string bytes() const {
        std::string s = header.substr(0, 22) + le(0, 4) + header.substr(26) + body;
        return s.replace(22, 4, le(pageCrc(s), 4));
    }
};

inline std::vector<Page> pages(const std::string& ogg) {
    std::vector<Page> out;
    for (size_t at = 0; at + 27 <= ogg.size();) {
        const size_t segments = uint8_t(ogg[at + 26]);
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i)
            body += uint8_t(ogg[at + 27 + i]);
        if (at + 27 + segments + body > ogg.size()) break;
        out.push_back({ogg.substr(at, 27 + segments), ogg.substr(at + 27 + segments, body)});
        at += 27 + segments + body;
    }
    return out;
}

inline std::string join(const std::vector<Page>& ps) {
    std::string s;
    for (const Page& p : ps)
        s += p.bytes();
    return s;
}

// A page holding exactly these whole packets (each under 255 * 255 bytes).
inline Page pageOf(const std::vector<std::string>& packets, uint8_t flags, uint32_t serial,
                   uint32_t sequence, uint64_t granule) {
    std::string lacing, body;
    for (const std::string& p : packets) {
        size_t n = p.size();
        for (; n >= 255; n -= 255)
            lacing += char(255);
        lacing += char(n);
        body += p;
    }
    return {"OggS" + le(0, 1) + char(flags) + le(granule, 8) + le(serial, 4) + le(sequence, 4) +
                le(0, 4) + char(lacing.size()) + lacing,
            body};
}

// The Vorbis stream of the file cut to its first `keep` pages: the id header on its page, the
// comment and setup headers (either replaced when given) on the next, then audio pages as they
// were. The last page kept is marked the end of the stream.
inline std::string withSetup(const std::string& ogg, const std::string& setup, size_t keep,
                             std::string comment = "") {
    std::vector<Page> ps = pages(ogg);
    ps.resize(std::min(keep, ps.size()));
    const Page& second = ps[1];
    size_t commentBytes = 0;
    for (size_t i = 27; i < second.header.size() && commentBytes % 255 == 0; ++i)
        commentBytes += uint8_t(second.header[i]);
    if (comment.empty()) comment = second.body.substr(0, commentBytes);
    const std::string rest = setup.empty() ? second.body.substr(commentBytes) : setup;
    ps[1] = pageOf({comment, rest}, 0, second.serial(), 1, 0);
    ps.back().header[5] = char(ps.back().flags() | 4);
    return join(ps);
}

// The file with the identification header of its first stream saying channels and rate, and every
// serial number xored with serialXor (so that two copies chain as two streams).
inline std::string bend(const std::string& ogg, int channels, uint32_t rate,
                        uint32_t serialXor = 0) {
    std::vector<Page> ps = pages(ogg);
    for (Page& p : ps) {
        p.setSerial(p.serial() ^ serialXor);
        if ((p.flags() & 2) && p.body.size() >= 16 && p.body[0] == 1)
            p.body.replace(11, 5, le(channels, 1) + le(rate, 4));
    }
    return join(ps);
}

} // namespace mediafiles
