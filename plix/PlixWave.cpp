// The WAV header check: SDL's loader gets a file only once it is known to be plain PCM it can play.
#include "plix/PlixMedia.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr Uint16 FORMAT_PCM = 1;

Uint16 le16(const Uint8* p) {
    return Uint16(p[0] | p[1] << 8);
}
Uint32 le32(const Uint8* p) {
    return Uint32(p[0]) | Uint32(p[1]) << 8 | Uint32(p[2]) << 16 | Uint32(p[3]) << 24;
}
bool is(const Uint8* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

// A reason with numbers in it, kept in a buffer of its own: the caller copies it straight away.
const char* reason(const char* format, long long value, long long low = 0, long long high = 0) {
    static char text[64];
    std::snprintf(text, sizeof text, format, value, low, high);
    return text;
}

} // namespace

const char* wavProblem(const Uint8* data, size_t size) {
    if (size < 12 || !is(data, "RIFF") || !is(data + 8, "WAVE")) return "not a RIFF WAVE file";
    bool haveFormat = false;
    // Chunks follow one another, each padded to an even length; the format comes before the data.
    for (size_t at = 12; at + 8 <= size;) {
        const Uint8* chunk = data + at;
        const Uint32 length = le32(chunk + 4);
        if (is(chunk, "fmt ")) {
            if (length < 16 || at + 8 + 16 > size) return "the fmt chunk is cut short";
            const Uint8* f = chunk + 8;
            if (le16(f) != FORMAT_PCM) return reason("format %lld, not PCM", le16(f));
            const long channels = le16(f + 2);
            if (channels < 1 || channels > PLIX_MAX_CHANNELS)
                return reason("%lld channels, not 1 or %lld", channels, PLIX_MAX_CHANNELS);
            const long long rate = le32(f + 4);
            if (rate < PLIX_MIN_RATE || rate > PLIX_MAX_RATE)
                return reason("a rate of %lld Hz, not %lld to %lld", rate, PLIX_MIN_RATE,
                              PLIX_MAX_RATE);
            const Uint16 bits = le16(f + 14);
            if (bits != 8 && bits != 16) return reason("%lld bits a sample, not 8 or 16", bits);
            haveFormat = true;
        } else if (is(chunk, "data")) {
            if (!haveFormat) return "no fmt chunk before the data";
            if (length > size - at - 8) return "the data chunk runs past the end of the file";
            return nullptr;
        }
        at += 8 + size_t(length) + (length & 1);
    }
    return haveFormat ? "no data chunk" : "no fmt chunk";
}
