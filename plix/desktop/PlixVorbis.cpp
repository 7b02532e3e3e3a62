// The Vorbis setup header check: the header read field by field as the format lays it out, so that
// what the decoder on the mixer's thread later relies on is known to hold before it sees a sample.
#include "plix/desktop/PlixVorbis.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t CODEBOOK_SYNC = 0x564342;
constexpr int MAX_LENGTH = 32; // the longest codeword the format allows
constexpr int MAX_FLOOR_POINTS = 65;

// The packet's bits, least significant first within each byte, as Vorbis packs them. Reading past
// the end gives zeros and marks the reader, which every loop checks, so no count can run it long.
class Bits {
  public:
    Bits(const uint8_t* data, size_t size) : data(data), size(size) {}
    uint32_t read(int n) {
        uint32_t value = 0;
        for (int i = 0; i < n; ++i, ++at) {
            if (at >= size * 8) {
                over = true;
                return 0;
            }
            value |= uint32_t(data[at >> 3] >> (at & 7) & 1) << i;
        }
        return value;
    }
    void skip(uint64_t n) {
        if (n > size * 8 - at) {
            over = true;
            at = size * 8;
        } else {
            at += n;
        }
    }
    bool over = false;

  private:
    const uint8_t* data;
    size_t size;
    uint64_t at = 0;
};

int ilog(uint32_t v) {
    int n = 0;
    for (; v; v >>= 1)
        ++n;
    return n;
}

// Whether base^exponent <= limit, without overflow.
bool powerAtMost(uint64_t base, int exponent, uint64_t limit) {
    uint64_t p = 1;
    for (int i = 0; i < exponent; ++i) {
        if (base != 0 && p > limit / base) return false;
        p *= base;
    }
    return p <= limit;
}

// The greatest r with r^dimensions <= entries: the values of a lattice codebook.
uint64_t latticeValues(uint32_t entries, int dimensions) {
    uint64_t r = 0;
    uint64_t step = uint64_t(1) << 24;
    for (; step; step >>= 1)
        if (powerAtMost(r + step, dimensions, entries)) r += step;
    return r;
}

struct Book {
    uint32_t entries;
    int dimensions;
    int lookup;
};

const char* said(const char* format, long a = 0, long b = 0, long c = 0) {
    static char text[120];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

class Setup {
  public:
    Setup(const uint8_t* packet, size_t size, int channels)
        : bits(packet, size), channels(channels) {}
    const char* check();

  private:
    Bits bits;
    int channels;
    Book books[256] = {};
    int bookCount = 0;
    int floorCount = 0;
    int residueCount = 0;
    int mappingCount = 0;

    const char* codebook(int index);
    const char* floor(int index);
    const char* residue(int index);
    const char* mapping(int index);
};

const char* Setup::codebook(int index) {
    if (bits.read(24) != CODEBOOK_SYNC) return said("codebook %ld has no sync pattern", index);
    const int dimensions = int(bits.read(16));
    const uint32_t entries = bits.read(24);
    if (dimensions == 0 || entries == 0)
        return said("codebook %ld has %ld dimensions and %ld entries", index, dimensions,
                    long(entries));
    // Kraft's sum of the codeword lengths, in units of 2^-32: above 2^32 no prefix code has them.
    uint64_t kraft = 0;
    uint32_t used = 0;
    auto add = [&](int length, uint32_t n) {
        if (n == 0) return; // an empty run may name a length past the longest
        kraft += uint64_t(n) << (MAX_LENGTH - length);
        used += n;
    };
    if (bits.read(1)) { // ordered: runs of entries, each run one bit longer
        int length = int(bits.read(5)) + 1;
        for (uint32_t entry = 0; entry < entries && !bits.over; ++length) {
            const uint32_t n = bits.read(ilog(entries - entry));
            if (n > entries - entry)
                return said("codebook %ld has more lengths than entries", index);
            if (n && length > MAX_LENGTH)
                return said("codebook %ld has codewords of %ld bits", index, length);
            add(length, n);
            entry += n;
        }
    } else {
        const bool sparse = bits.read(1);
        for (uint32_t entry = 0; entry < entries && !bits.over; ++entry)
            if (!sparse || bits.read(1)) add(int(bits.read(5)) + 1, 1);
    }
    if (bits.over) return said("codebook %ld runs past the end of the header", index);
    if (used == 0) return said("codebook %ld has no entry in use", index);
    if (kraft > uint64_t(1) << MAX_LENGTH)
        return said("codebook %ld has more codewords than its lengths allow", index);
    const int lookup = int(bits.read(4));
    if (lookup > 2) return said("codebook %ld has lookup type %ld", index, lookup);
    if (lookup != 0) {
        if (uint64_t(entries) * uint64_t(dimensions) > uint64_t(PLIX_VORBIS_MAX_BOOK_VALUES))
            return said("codebook %ld has %ld x %ld values", index, long(entries), dimensions);
        bits.skip(64); // minimum and delta, as floats
        const int valueBits = int(bits.read(4)) + 1;
        bits.read(1); // sequence flag
        const uint64_t values =
            lookup == 1 ? latticeValues(entries, dimensions) : uint64_t(entries) * dimensions;
        bits.skip(values * valueBits);
    }
    if (bits.over) return said("codebook %ld runs past the end of the header", index);
    // The decoder builds a book's tables only from a whole prefix code, or from the one 1-bit word
    // of a book of one. Once it failed to, a later start of the decoder takes the book as built,
    // with no dimensions, and the residue decoder divides by them.
    const bool lone = used == 1 && kraft == uint64_t(1) << (MAX_LENGTH - 1);
    if (kraft < uint64_t(1) << MAX_LENGTH && !lone)
        return said("codebook %ld has codeword lengths that leave its code unfilled", index);
    books[index] = {entries, dimensions, lookup};
    return nullptr;
}

const char* Setup::floor(int index) {
    const uint32_t type = bits.read(16);
    // Type 0, the format's first floor, has not been written by an encoder in twenty years.
    if (type != 1) return said("floor %ld is of type %ld, not 1", index, long(type));
    const int partitions = int(bits.read(5));
    int classOf[32];
    int highest = -1;
    for (int i = 0; i < partitions; ++i) {
        classOf[i] = int(bits.read(4));
        if (classOf[i] > highest) highest = classOf[i];
    }
    int classDimensions[16];
    for (int c = 0; c <= highest; ++c) {
        classDimensions[c] = int(bits.read(3)) + 1;
        const int subclasses = int(bits.read(2));
        if (subclasses && int(bits.read(8)) >= bookCount)
            return said("floor %ld names a codebook past the last, %ld", index, bookCount - 1);
        for (int j = 0; j < (1 << subclasses); ++j) {
            const int book = int(bits.read(8)) - 1;
            if (book >= bookCount)
                return said("floor %ld names a codebook past the last, %ld", index, bookCount - 1);
        }
    }
    bits.read(2); // multiplier
    const int rangeBits = int(bits.read(4));
    // The points of the curve: both ends and those of every partition, all different.
    uint32_t x[MAX_FLOOR_POINTS] = {0, 1u << rangeBits};
    int points = 2;
    for (int i = 0; i < partitions && !bits.over; ++i) {
        for (int j = 0; j < classDimensions[classOf[i]]; ++j) {
            if (points == MAX_FLOOR_POINTS)
                return said("floor %ld has more than %ld points", index, MAX_FLOOR_POINTS);
            x[points++] = bits.read(rangeBits);
        }
    }
    for (int i = 0; i < points; ++i)
        for (int j = 0; j < i; ++j)
            if (x[i] == x[j]) return said("floor %ld has two points at %ld", index, long(x[i]));
    return nullptr;
}

const char* Setup::residue(int index) {
    const uint32_t type = bits.read(16);
    if (type > 2) return said("residue %ld is of type %ld", index, long(type));
    const uint32_t begin = bits.read(24);
    const uint32_t end = bits.read(24);
    const uint32_t partition = bits.read(24) + 1;
    const int classes = int(bits.read(6)) + 1;
    const uint32_t classBook = bits.read(8);
    if (begin > end) return said("residue %ld begins at %ld after its end", index, long(begin));
    if (int(classBook) >= bookCount)
        return said("residue %ld names a codebook past the last, %ld", index, bookCount - 1);
    // Each entry of the class book codes one class for each of its dimensions.
    const Book& cb = books[classBook];
    if (!powerAtMost(uint64_t(classes), cb.dimensions, cb.entries))
        return said("residue %ld has %ld classes, more than its class book can code", index,
                    classes);
    int cascade[64];
    for (int c = 0; c < classes; ++c) {
        const int low = int(bits.read(3));
        const int high = bits.read(1) ? int(bits.read(5)) : 0;
        cascade[c] = high << 3 | low;
    }
    for (int c = 0; c < classes; ++c) {
        for (int pass = 0; pass < 8; ++pass) {
            if (!(cascade[c] >> pass & 1)) continue;
            const uint32_t book = bits.read(8);
            if (int(book) >= bookCount)
                return said("residue %ld names a codebook past the last, %ld", index,
                            bookCount - 1);
            // A residue reads whole vectors; one that ran past its partition would write past it.
            if (books[book].lookup == 0)
                return said("residue %ld reads vectors from codebook %ld, which has none", index,
                            long(book));
            if (partition % uint32_t(books[book].dimensions) != 0)
                return said("residue %ld has partitions of %ld, not whole vectors of codebook %ld",
                            index, long(partition), long(book));
        }
    }
    return nullptr;
}

const char* Setup::mapping(int index) {
    if (bits.read(16) != 0) return said("mapping %ld is not of type 0", index);
    const int submaps = bits.read(1) ? int(bits.read(4)) + 1 : 1;
    if (bits.read(1)) {
        const int steps = int(bits.read(8)) + 1;
        const int width = ilog(uint32_t(channels - 1));
        for (int i = 0; i < steps; ++i) {
            const int magnitude = int(bits.read(width));
            const int angle = int(bits.read(width));
            if (magnitude == angle || magnitude >= channels || angle >= channels)
                return said("mapping %ld couples channels %ld and %ld", index, magnitude, angle);
        }
    }
    if (bits.read(2) != 0) return said("mapping %ld has its reserved bits set", index);
    if (submaps > 1)
        for (int c = 0; c < channels; ++c)
            if (int(bits.read(4)) >= submaps)
                return said("mapping %ld puts channel %ld in a submap past the last", index, c);
    for (int i = 0; i < submaps; ++i) {
        bits.read(8); // unused time configuration
        if (int(bits.read(8)) >= floorCount)
            return said("mapping %ld names a floor past the last, %ld", index, floorCount - 1);
        if (int(bits.read(8)) >= residueCount)
            return said("mapping %ld names a residue past the last, %ld", index, residueCount - 1);
    }
    return nullptr;
}

const char* Setup::check() {
    const uint8_t head[] = {5, 'v', 'o', 'r', 'b', 'i', 's'};
    for (uint8_t byte : head)
        if (bits.read(8) != byte) return "it is no setup header";
    bookCount = int(bits.read(8)) + 1;
    for (int i = 0; i < bookCount; ++i)
        if (const char* problem = codebook(i)) return problem;
    const int transforms = int(bits.read(6)) + 1;
    for (int i = 0; i < transforms; ++i)
        if (bits.read(16) != 0) return "a time transform is not 0";
    floorCount = int(bits.read(6)) + 1;
    for (int i = 0; i < floorCount && !bits.over; ++i)
        if (const char* problem = floor(i)) return problem;
    residueCount = int(bits.read(6)) + 1;
    for (int i = 0; i < residueCount && !bits.over; ++i)
        if (const char* problem = residue(i)) return problem;
    mappingCount = int(bits.read(6)) + 1;
    for (int i = 0; i < mappingCount && !bits.over; ++i)
        if (const char* problem = mapping(i)) return problem;
    const int modes = int(bits.read(6)) + 1;
    for (int i = 0; i < modes && !bits.over; ++i) {
        bits.read(1); // block flag
        if (bits.read(16) != 0 || bits.read(16) != 0) return said("mode %ld is not of type 0", i);
        if (int(bits.read(8)) >= mappingCount)
            return said("mode %ld names a mapping past the last, %ld", i, mappingCount - 1);
    }
    if (bits.over) return "it runs past its end";
    if (bits.read(1) != 1) return "it has no framing bit";
    return nullptr;
}

} // namespace

const char* vorbisSetupProblem(const uint8_t* packet, size_t size, int channels) {
    if (channels < 1) return "it belongs to no channels";
    return Setup(packet, size, channels).check();
}
