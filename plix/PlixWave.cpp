// The WAV header check: SDL's loader gets a file only once it is known to be plain PCM it can play,
// read the same way by SDL 1.2 and by the SDL 2 that sdl12-compat puts in its place.
#include "plix/PlixBytes.h"
#include "plix/PlixMedia.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr Uint16 FORMAT_PCM = 1;
constexpr size_t RIFF_HEADER = 12;
constexpr size_t CHUNK_HEADER = 8;
constexpr Uint32 FMT_SIZE = 16;

bool is(const Uint8* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

// A reason with numbers in it, kept in a buffer of its own: the caller copies it straight away.
const char* reason(const char* format, long long value, long long low = 0, long long high = 0) {
    static char text[80];
    std::snprintf(text, sizeof text, format, value, low, high);
    return text;
}

const char* formatProblem(const Uint8* f) {
    if (le16(f) != FORMAT_PCM) return reason("format %lld, not PCM", le16(f));
    const long channels = le16(f + 2);
    if (channels < 1 || channels > PLIX_MAX_CHANNELS)
        return reason("%lld channels, not 1 or %lld", channels, PLIX_MAX_CHANNELS);
    const long long rate = le32(f + 4);
    if (rate < PLIX_MIN_RATE || rate > PLIX_MAX_RATE)
        return reason("a rate of %lld Hz, not %lld to %lld", rate, PLIX_MIN_RATE, PLIX_MAX_RATE);
    const Uint16 bits = le16(f + 14);
    if (bits != 8 && bits != 16) return reason("%lld bits a sample, not 8 or 16", bits);
    // SDL 2 refuses a block that is not whole samples; SDL 1.2 ignores the field.
    const long long block = channels * bits / 8;
    if (le16(f + 12) != block)
        return reason("a block of %lld bytes, not the %lld of one sample frame", le16(f + 12),
                      block);
    return nullptr;
}

} // namespace

// SDL 1.2 skips LIST and fact chunks to the fmt, takes the chunks after it up to the first data,
// and pads no chunk to an even length; SDL 2 pads, finds the fmt anywhere, and honours the RIFF
// length. Where those rules could part, the file is refused.
const char* wavProblem(const Uint8* data, size_t size, PlixWavShape* shape) {
    // SDL 1.2 also takes "RIFFWAVE" without a length, and then reads its chunks 4 bytes earlier.
    if (size < RIFF_HEADER || !is(data, "RIFF") || !is(data + 8, "WAVE") || is(data + 4, "WAVE"))
        return "not a RIFF WAVE file";
    const Uint8* format = nullptr;
    for (size_t at = RIFF_HEADER; at + CHUNK_HEADER <= size;) {
        const Uint8* chunk = data + at;
        const Uint32 length = le32(chunk + 4);
        // SDL 1.2 fails to read a chunk of no bytes.
        if (length == 0) return "an empty chunk up to the data";
        if (is(chunk, "data")) {
            if (!format) return "no fmt chunk before the data";
            if (length > size - at - CHUNK_HEADER)
                return "the data chunk runs past the end of the file";
            // SDL keeps only whole sample frames.
            if (length < le16(format + 12)) return "the data chunk holds no whole sample frame";
            const Uint32 riffLength = le32(data + 4);
            if (riffLength < at + CHUNK_HEADER + length - 8)
                return "the RIFF chunk ends before the data does";
            if (shape) {
                shape->rate = long(le32(format + 4));
                shape->channels = le16(format + 2);
                shape->bits = le16(format + 14);
                shape->dataAt = at + CHUNK_HEADER;
                shape->dataLength = length;
            }
            return nullptr;
        }
        if (length & 1) return reason("a chunk of odd length (%lld bytes) before the data", length);
        if (is(chunk, "fmt ") && !format) {
            if (length < FMT_SIZE || at + CHUNK_HEADER + FMT_SIZE > size)
                return "the fmt chunk is cut short";
            if (const char* problem = formatProblem(chunk + CHUNK_HEADER)) return problem;
            format = chunk + CHUNK_HEADER;
        } else if (!format && !is(chunk, "LIST") && !is(chunk, "fact")) {
            return "a chunk other than LIST or fact before the fmt chunk";
        }
        at += CHUNK_HEADER + size_t(length);
    }
    return format ? "no data chunk" : "no fmt chunk";
}
