// Hostile media files for tests: BMP and WAV files built field by field, Vorbis setup headers bit
// by bit, and Ogg pages rebuilt around changed packets. Each builder starts from a sound file and
// lets a test break one property.
#pragma once

#include "support/OggBend.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

inline std::string le(uint64_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += char(v >> (8 * i));
    return s;
}

// --- BMP ---------------------------------------------------------------------------------------

struct Bmp {
    uint32_t headerSize = 40;
    int64_t width = 5;
    int64_t height = 3; // negative: top-down
    uint16_t planes = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t colours = 0;        // 0: as many as the bits allow, for 8 bits or fewer
    int64_t paletteEntries = -1; // palette entries written; -1: what colours says
    std::string masks;           // written after a 40-byte header
    size_t gap = 0;              // bytes between header (and palette) and pixels
    int64_t pixelOffset = -1;    // -1: right after what comes before
    int64_t cutPixels = 0;       // bytes cut off the end of the pixels
    std::string bytes() const;
};

inline std::string Bmp::bytes() const {
    const int64_t h = height < 0 ? -height : height;
    const int64_t rowBytes = (width * bits + 31) / 32 * 4;
    std::string pixels;
    // A header with absurd sizes needs no pixels to be refused.
    const int64_t length = std::min<int64_t>(rowBytes * h - cutPixels, 1 << 22);
    for (int64_t i = 0; i < length; ++i)
        pixels += char(i * 7 % 13); // small values: inside any palette of 16 or more
    std::string header;
    if (headerSize == 12) {
        header = le(12, 4) + le(uint64_t(width), 2) + le(uint64_t(height), 2) + le(planes, 2) +
                 le(bits, 2);
    } else {
        header = le(headerSize, 4) + le(uint64_t(width), 4) + le(uint64_t(height), 4) +
                 le(planes, 2) + le(bits, 2) + le(compression, 4) + le(pixels.size(), 4) +
                 le(2835, 4) + le(2835, 4) + le(colours, 4) + le(0, 4);
        header.resize(headerSize, '\0');
    }
    const int64_t entries = paletteEntries >= 0 ? paletteEntries
                            : bits <= 8         ? (colours ? colours : 1 << bits)
                                                : 0;
    std::string palette;
    for (int64_t i = 0; i < entries; ++i)
        palette += std::string{char(i), char(255 - i), char(i * 3)} +
                   std::string(headerSize == 12 ? 0 : 1, '\0');
    const std::string before = header + masks + palette + std::string(gap, '\0');
    const uint64_t offset = pixelOffset >= 0 ? uint64_t(pixelOffset) : 14 + before.size();
    const std::string body = before + pixels;
    return "BM" + le(14 + body.size(), 4) + le(0, 4) + le(offset, 4) + body;
}

// --- WAV ---------------------------------------------------------------------------------------

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

// --- Vorbis setup headers ----------------------------------------------------------------------

// Bits least significant first within each byte, as Vorbis packs them.
class BitWriter {
  public:
    void put(uint64_t value, int n) {
        for (int i = 0; i < n; ++i, ++bit) {
            if (bit % 8 == 0) bytes += '\0';
            if (value >> i & 1) bytes.back() = char(bytes.back() | 1 << (bit % 8));
        }
    }
    std::string bytes;

  private:
    size_t bit = 0;
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
    int classDimensions = 1;
    int subclasses = 0;
    int masterbook = 0;
    std::vector<int> subBooks = {0}; // -1: none
    int rangeBits = 4;
    std::vector<uint32_t> x = {5};
};

struct Residue {
    int type = 2;
    uint32_t begin = 0, end = 64, partition = 2;
    int classes = 2;
    int classBook = 0;
    std::vector<int> passBook = {1, -1}; // the first pass's book of each class, -1: none
};

struct Mapping {
    int type = 0;
    int submaps = 1;
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
    int modeWindow = 0, modeMapping = 0;
    int framing = 1;
    size_t cut = 0; // bytes taken off the end
    std::string bytes() const;
};

inline int ilog(uint32_t v) {
    int n = 0;
    for (; v; v >>= 1)
        ++n;
    return n;
}

inline std::string SetupHeader::bytes() const {
    BitWriter w;
    for (char c : std::string("\5vorbis"))
        w.put(uint8_t(c), 8);
    w.put(books.size() - 1, 8);
    for (const Codebook& b : books) {
        w.put(b.sync, 24);
        w.put(b.dimensions, 16);
        w.put(b.entries, 24);
        w.put(b.ordered, 1);
        if (b.ordered) {
            w.put(b.orderedFirst - 1, 5);
            uint32_t done = 0;
            for (uint32_t run : b.runs) {
                w.put(run, ilog(b.entries - done));
                done += run;
            }
        } else {
            bool sparse = false;
            for (int l : b.lengths)
                sparse = sparse || l == 0;
            w.put(sparse, 1);
            for (int l : b.lengths) {
                if (sparse) w.put(l != 0, 1);
                if (l) w.put(l - 1, 5);
            }
        }
        w.put(b.lookup, 4);
        if (b.lookup == 1 || b.lookup == 2) {
            w.put(0, 32);
            w.put(0x60100000, 32); // delta 1.0
            w.put(0, 4);           // one bit a value
            w.put(0, 1);
            uint64_t values = b.lookup == 2 ? uint64_t(b.entries) * b.dimensions : 0;
            // With no dimensions every number is a lattice value: the check stops before them.
            if (b.lookup == 1 && b.dimensions > 0)
                while ([&] {
                    uint64_t p = 1;
                    for (int i = 0; i < b.dimensions; ++i)
                        p *= values + 1;
                    return p <= b.entries;
                }())
                    ++values;
            for (uint64_t i = 0; i < values; ++i)
                w.put(i & 1, 1);
        }
    }
    w.put(0, 6);
    w.put(transform, 16);
    w.put(floors.size() - 1, 6);
    for (const Floor& f : floors) {
        w.put(f.type, 16);
        if (f.type != 1) continue;
        w.put(f.partitionClass.size(), 5);
        int highest = -1;
        for (int c : f.partitionClass) {
            w.put(c, 4);
            highest = std::max(highest, c);
        }
        for (int c = 0; c <= highest; ++c) {
            w.put(f.classDimensions - 1, 3);
            w.put(f.subclasses, 2);
            if (f.subclasses) w.put(f.masterbook, 8);
            for (int j = 0; j < (1 << f.subclasses); ++j)
                w.put(f.subBooks[j % f.subBooks.size()] + 1, 8);
        }
        w.put(1, 2);
        w.put(f.rangeBits, 4);
        for (uint32_t x : f.x)
            w.put(x, f.rangeBits);
    }
    w.put(residues.size() - 1, 6);
    for (const Residue& r : residues) {
        w.put(r.type, 16);
        w.put(r.begin, 24);
        w.put(r.end, 24);
        w.put(r.partition - 1, 24);
        w.put(r.classes - 1, 6);
        w.put(r.classBook, 8);
        for (int c = 0; c < r.classes; ++c) {
            const bool has = c < int(r.passBook.size()) && r.passBook[c] >= 0;
            w.put(has, 3);
            w.put(0, 1);
        }
        for (int c = 0; c < r.classes; ++c)
            if (c < int(r.passBook.size()) && r.passBook[c] >= 0) w.put(r.passBook[c], 8);
    }
    w.put(mappings.size() - 1, 6);
    for (const Mapping& m : mappings) {
        w.put(m.type, 16);
        if (m.type != 0) continue;
        w.put(m.submaps > 1, 1);
        if (m.submaps > 1) w.put(m.submaps - 1, 4);
        w.put(!m.coupling.empty(), 1);
        if (!m.coupling.empty()) {
            w.put(m.coupling.size() - 1, 8);
            for (auto [magnitude, angle] : m.coupling) {
                w.put(magnitude, ilog(channels - 1));
                w.put(angle, ilog(channels - 1));
            }
        }
        w.put(m.reserved, 2);
        if (m.submaps > 1)
            for (int c = 0; c < channels; ++c)
                w.put(m.mux[c], 4);
        for (int i = 0; i < m.submaps; ++i) {
            w.put(0, 8);
            w.put(m.floor, 8);
            w.put(m.residue, 8);
        }
    }
    w.put(0, 6);
    w.put(0, 1);
    w.put(modeWindow, 16);
    w.put(0, 16);
    w.put(modeMapping, 8);
    w.put(framing, 1);
    return w.bytes.substr(0, w.bytes.size() - cut);
}

// --- Ogg pages ---------------------------------------------------------------------------------

struct Page {
    std::string header; // 27 bytes and the lacing values
    std::string body;
    uint8_t flags() const { return uint8_t(header[5]); }
    uint32_t serial() const {
        return uint32_t(uint8_t(header[14])) | uint8_t(header[15]) << 8 |
               uint8_t(header[16]) << 16 | uint32_t(uint8_t(header[17])) << 24;
    }
    void setSerial(uint32_t s) {
        for (int i = 0; i < 4; ++i)
            header[14 + i] = char(s >> (8 * i));
    }
    void setSequence(uint32_t n) {
        for (int i = 0; i < 4; ++i)
            header[18 + i] = char(n >> (8 * i));
    }
    // The page as bytes, its checksum made right.
    std::string bytes() const {
        std::string s = header + body;
        for (int i = 22; i < 26; ++i)
            s[i] = 0;
        const uint32_t crc =
            oggbend::pageCrc(reinterpret_cast<const unsigned char*>(s.data()), s.size());
        for (int i = 0; i < 4; ++i)
            s[22 + i] = char(crc >> (8 * i));
        return s;
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
    Page page{"OggS" + std::string(1, '\0') + char(flags) + le(granule, 8) + le(serial, 4) +
                  le(sequence, 4) + le(0, 4) + char(lacing.size()) + lacing,
              body};
    return page;
}

// The Vorbis stream of the file cut to its first `keep` pages: the id header on its page, the
// comment and setup headers (setup replaced when given) on the next, then audio pages as they were.
// The last page kept is marked the end of the stream.
inline std::string withSetup(const std::string& ogg, const std::string& setup, size_t keep) {
    std::vector<Page> ps = pages(ogg);
    ps.resize(std::min(keep, ps.size()));
    if (!setup.empty()) {
        // The second page of the encoder's output holds the comment header, then the setup header.
        const Page& second = ps[1];
        size_t commentBytes = 0;
        for (size_t i = 27; i < second.header.size(); ++i) {
            commentBytes += uint8_t(second.header[i]);
            if (uint8_t(second.header[i]) < 255) break;
        }
        ps[1] = pageOf({second.body.substr(0, commentBytes), setup}, 0, second.serial(), 1, 0);
    }
    ps.back().header[5] = char(ps.back().flags() | 4);
    return join(ps);
}

} // namespace hostile
