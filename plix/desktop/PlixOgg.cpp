// The desktop's Ogg Vorbis check: every stream of the music, its pages and its three headers, must
// be one the decoder on the mixer's thread can play without faulting.
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"
#include "plix/desktop/PlixVorbis.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ogg/ogg.h>

namespace {

constexpr long FEED = 1 << 16; // bytes handed to the page reader at a time
constexpr int MAX_STREAMS = 64;
constexpr size_t PAGE_HEADER = 27;

Uint32 le32(const Uint8* p) {
    return Uint32(p[0]) | Uint32(p[1]) << 8 | Uint32(p[2]) << 16 | Uint32(p[3]) << 24;
}

// The Ogg page checksum: CRC-32, polynomial 0x04c11db7, not reflected, over the page with its
// checksum field taken as zero.
struct CrcTable {
    Uint32 entry[256];
    CrcTable() {
        for (Uint32 i = 0; i < 256; ++i) {
            Uint32 crc = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                crc = crc & 0x80000000u ? (crc << 1) ^ 0x04c11db7u : crc << 1;
            entry[i] = crc;
        }
    }
};
const CrcTable crcTable;

Uint32 pageCrc(const Uint8* page, size_t length) {
    Uint32 crc = 0;
    for (size_t i = 0; i < length; ++i) {
        const Uint8 byte = i >= 22 && i < 26 ? 0 : page[i];
        crc = (crc << 8) ^ crcTable.entry[(crc >> 24) ^ byte];
    }
    return crc;
}

// Whether a whole page with a right checksum starts at offset: what a reader that seeks, as the
// decoder's file layer does to find the streams of a chain, would take for a page.
bool pageAt(const Uint8* data, size_t size, size_t offset) {
    if (size - offset < PAGE_HEADER || std::memcmp(data + offset, "OggS", 4) != 0) return false;
    const Uint8* page = data + offset;
    const size_t segments = page[26];
    if (size - offset < PAGE_HEADER + segments) return false;
    size_t length = PAGE_HEADER + segments;
    for (size_t i = 0; i < segments; ++i)
        length += page[PAGE_HEADER + i];
    if (size - offset < length) return false;
    return pageCrc(page, length) == le32(page + 22);
}

// The first offset in [from, to) where a page starts, or to.
size_t findPage(const Uint8* data, size_t size, size_t from, size_t to) {
    for (size_t at = from; at < to; ++at) {
        const void* hit = std::memchr(data + at, 'O', to - at);
        if (!hit) return to;
        at = size_t(static_cast<const Uint8*>(hit) - data);
        if (pageAt(data, size, at)) return at;
    }
    return to;
}

// The problem found, worded once the number of streams is known.
struct Finding {
    char text[160] = "";
    int stream = 0; // 0: the file as a whole
    bool found() const { return text[0] != '\0'; }
};

void note(Finding& f, int stream, const char* text) {
    if (f.found()) return;
    f.stream = stream;
    std::snprintf(f.text, sizeof f.text, "%s", text);
}

// One logical stream of the chain, as far as its headers.
struct Stream {
    long serial = 0;
    int headers = 0; // packets taken as headers so far, of 3
    int channels = 0;
    int blockExponents[2] = {0, 0};
};

// The identification header: what the mixer is handed, and the block sizes the setup relies on.
void readIdentification(const ogg_packet& packet, Stream& s, int index, Finding& f) {
    const Uint8* p = packet.packet;
    if (packet.bytes < 30 || p[0] != 1 || std::memcmp(p + 1, "vorbis", 6) != 0) {
        note(f, index, "is not Vorbis");
        return;
    }
    const Uint32 version = le32(p + 7);
    const int channels = p[11];
    const long rate = long(le32(p + 12));
    const int small = p[28] & 0x0f;
    const int large = p[28] >> 4;
    char text[160];
    if (version != 0) {
        std::snprintf(text, sizeof text, "is of Vorbis version %lu, not 0", (unsigned long)version);
    } else if (rate < PLIX_MIN_RATE || rate > PLIX_MAX_RATE) {
        std::snprintf(text, sizeof text, "has a rate of %ld Hz, not %ld to %ld", rate,
                      PLIX_MIN_RATE, PLIX_MAX_RATE);
    } else if (channels < 1 || channels > PLIX_MAX_CHANNELS) {
        std::snprintf(text, sizeof text, "has %d channels, not 1 or %ld", channels,
                      PLIX_MAX_CHANNELS);
    } else if (small < 6 || large > 13 || small > large) {
        std::snprintf(text, sizeof text, "has blocks of 2^%d and 2^%d samples, not 2^6 to 2^13",
                      small, large);
    } else if (!(p[29] & 1)) {
        std::snprintf(text, sizeof text, "has no framing bit after its identification");
    } else {
        s.channels = channels;
        s.blockExponents[0] = small;
        s.blockExponents[1] = large;
        return;
    }
    note(f, index, text);
}

// Whether the comment header after its 7-byte start holds what the decoder reads: a vendor string
// and a count of comments, each behind its length and inside the packet, then the framing bit. A
// chained stream's comment the decoder refuses leaves it holding memory it never frees.
bool commentsWhole(const Uint8* p, size_t size) {
    size_t at = 7;
    auto skipString = [&] {
        if (size - at < 4) return false;
        const Uint32 length = le32(p + at);
        at += 4;
        if (length > size - at) return false;
        at += length;
        return true;
    };
    if (!skipString() || size - at < 4) return false;
    const Uint32 count = le32(p + at);
    at += 4;
    for (Uint32 i = 0; i < count; ++i)
        if (!skipString()) return false;
    return at < size && (p[at] & 1);
}

void readHeader(const ogg_packet& packet, Stream& s, int index, Finding& f) {
    if (s.headers == 0) {
        readIdentification(packet, s, index, f);
    } else if (s.headers == 1) {
        if (packet.bytes < 7 || packet.packet[0] != 3 ||
            std::memcmp(packet.packet + 1, "vorbis", 6) != 0)
            note(f, index, "has no comment header after its identification");
        else if (!commentsWhole(packet.packet, size_t(packet.bytes)))
            note(f, index, "has a comment header the decoder cannot read");
    } else if (const char* problem =
                   vorbisSetupProblem(packet.packet, size_t(packet.bytes), s.channels)) {
        char text[160];
        std::snprintf(text, sizeof text, "has a setup header the decoder cannot use: %s", problem);
        note(f, index, text);
    }
    ++s.headers;
}

// The walk over a file's pages: each page checked as it comes, and the headers of each stream read.
class Walk {
  public:
    Finding f;
    Stream streams[MAX_STREAMS];
    int count = 0;

    Walk(const Uint8* data, size_t size) : data(data), size(size) {
        ogg_sync_init(&sync);
        ogg_stream_init(&stream, 0);
    }
    ~Walk() {
        ogg_sync_clear(&sync);
        ogg_stream_clear(&stream);
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    // The pages in order until the first problem or the end of the bytes.
    void pages() {
        ogg_page page;
        while (!f.found() && nextPage(page))
            takePage(page);
    }

    // What the end of the file says: a page inside the cut, or a stream cut in its headers. False
    // when the file is SDL_mixer's to refuse: a lone stream cut in its headers is no Ogg Vorbis to
    // it.
    bool end() {
        // A cut after the last whole page is only a shorter song; a page inside the cut is not.
        const size_t hidden = findPage(data, size, at + 1, size);
        if (hidden != size) {
            noteAt("hides a page inside another at byte %zu", hidden);
        } else if (count > 0 && streams[count - 1].headers < 3) {
            if (count == 1) return false;
            note(f, count, "ends in its headers");
        }
        return true;
    }

  private:
    const Uint8* data;
    size_t size;
    ogg_sync_state sync;
    ogg_stream_state stream;
    size_t fed = 0;
    size_t at = 0; // where the next page starts

    void noteAt(const char* format, size_t where) {
        char text[160];
        std::snprintf(text, sizeof text, format, where);
        note(f, 0, text);
    }

    // The next whole page, fed to the page reader a chunk at a time; false at the end of the bytes
    // or where they are no page, or hide one.
    bool nextPage(ogg_page& page) {
        long n;
        while ((n = ogg_sync_pageseek(&sync, &page)) == 0) {
            if (fed == size) return false;
            const long chunk = long(std::min<size_t>(FEED, size - fed));
            std::memcpy(ogg_sync_buffer(&sync, chunk), data + fed, size_t(chunk));
            ogg_sync_wrote(&sync, chunk);
            fed += size_t(chunk);
        }
        if (n < 0) {
            char text[160];
            std::snprintf(text, sizeof text, "holds %ld bytes that are no page at byte %zu", -n,
                          at);
            note(f, 0, text);
            return false;
        }
        // A page hidden in another's body is one a seeking reader could land on and take for a
        // stream of its own, with headers no one checked.
        const size_t hidden = findPage(data, size, at + 1, at + size_t(n));
        if (hidden != at + size_t(n)) {
            noteAt("hides a page inside another at byte %zu", hidden);
            return false;
        }
        at += size_t(n);
        return true;
    }

    // The page's place in the chain of streams, then the headers it completes.
    void takePage(ogg_page& page) {
        const long serial = ogg_page_serialno(&page);
        if (ogg_page_bos(&page)) {
            for (int i = 0; i < count; ++i)
                if (streams[i].serial == serial) note(f, count + 1, "repeats an earlier serial");
            if (count > 0 && streams[count - 1].headers < 3) note(f, count, "ends in its headers");
            if (count == MAX_STREAMS) {
                char text[160];
                std::snprintf(text, sizeof text, "chains more than %d streams", MAX_STREAMS);
                note(f, 0, text);
                return;
            }
            streams[count].serial = serial;
            ++count;
            ogg_stream_reset_serialno(&stream, int(serial));
        } else if (count == 0 || serial != streams[count - 1].serial) {
            note(f, count, "is interleaved with another stream");
            return;
        }
        if (ogg_stream_pagein(&stream, &page) != 0) {
            note(f, count, "has a page of another Ogg version");
            return;
        }
        Stream& s = streams[count - 1];
        ogg_packet packet;
        // Audio packets are let go at once: only the headers are read.
        for (int got; (got = ogg_stream_packetout(&stream, &packet)) != 0 && !f.found();) {
            if (s.headers >= 3) continue;
            if (got < 0) {
                note(f, count, "has a gap in its headers");
            } else {
                readHeader(packet, s, count, f);
            }
        }
    }
};

} // namespace

const char* oggProblem(const Uint8* data, size_t size) {
    static char problem[200];
    // What holds no Ogg page at all is SDL_mixer's to refuse, in its own words.
    if (findPage(data, size, 0, size) == size) return nullptr;
    Walk w(data, size);
    w.pages();
    if (!w.f.found() && !w.end()) return nullptr;
    if (!w.f.found()) return nullptr;
    if (w.f.stream == 0) {
        std::snprintf(problem, sizeof problem, "the file %s", w.f.text);
    } else {
        std::snprintf(problem, sizeof problem, "stream %d of %d %s", w.f.stream, w.count, w.f.text);
    }
    return problem;
}

const char* Plix_platformMusicProblem(const char* fileName) {
    // Never waits on what is not a file; what cannot be opened is SDL_mixer's to name.
    int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return PLIX_NOT_A_FILE;
    }
    const size_t size = size_t(st.st_size);
    // Mapped, not read: the music is checked as a game starts, and this takes no heap of ours.
    void* mapped = size ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    close(fd);
    if (mapped == MAP_FAILED) return nullptr;
    const char* problem = oggProblem(static_cast<const Uint8*>(mapped), size);
    munmap(mapped, size);
    return problem;
}
