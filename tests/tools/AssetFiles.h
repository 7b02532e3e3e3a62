// Readers the asset tests share: WAV headers and samples, decoded Ogg Vorbis, and PNG pictures.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <vorbis/vorbisfile.h>

namespace assets {

inline std::vector<uint8_t> bytesOf(const std::string& path) {
    std::vector<uint8_t> out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            out.insert(out.end(), buf, buf + n);
        std::fclose(f);
    }
    return out;
}

inline uint32_t le(const std::vector<uint8_t>& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | b.at(at + i);
    return v;
}

inline uint32_t be(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t(b.at(at)) << 24) | (uint32_t(b.at(at + 1)) << 16) |
           (uint32_t(b.at(at + 2)) << 8) | b.at(at + 3);
}

struct Wav {
    std::string error; // empty when the file parsed
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples; // interleaved
};

// Walks the RIFF chunks the way a strict reader would; any inconsistency is reported, not skipped.
inline Wav readWav(const std::string& path) {
    Wav w;
    const std::vector<uint8_t> b = bytesOf(path);
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4))
        return w.error = "not a RIFF WAVE file", w;
    if (le(b, 4, 4) + 8 != b.size()) return w.error = "RIFF size does not match the file", w;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = le(b, at + 4, 4);
        if (at + 8 + size > b.size()) return w.error = "chunk runs past the end", w;
        if (!std::memcmp(b.data() + at, "fmt ", 4)) {
            w.format = le(b, at + 8, 2);
            w.channels = le(b, at + 10, 2);
            w.rate = le(b, at + 12, 4);
            w.bits = le(b, at + 22, 2);
        } else if (!std::memcmp(b.data() + at, "data", 4)) {
            for (uint32_t i = 0; i + 1 < size; i += 2)
                w.samples.push_back(int16_t(le(b, at + 8 + i, 2)));
        }
        at += 8 + size + (size & 1);
    }
    if (w.format == 0) w.error = "no fmt chunk";
    return w;
}

struct Pcm {
    std::string error;
    int rate = 0, channels = 0;
    long long frames = 0;         // as the stream declares it
    std::vector<int16_t> samples; // interleaved, as decoded
};

inline Pcm decodeOgg(const std::string& path) {
    Pcm p;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return p.error = "not an Ogg Vorbis file", p;
    const vorbis_info* info = ov_info(&vf, -1);
    p.rate = static_cast<int>(info->rate);
    p.channels = info->channels;
    p.frames = ov_pcm_total(&vf, -1);
    char buf[8192];
    int section = 0;
    long n;
    while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
        const size_t old = p.samples.size();
        p.samples.resize(old + n / 2);
        std::memcpy(p.samples.data() + old, buf, n);
    }
    if (n < 0) p.error = "decode error " + std::to_string(n);
    ov_clear(&vf);
    return p;
}

struct Png {
    std::string error;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

inline uint32_t crc32(const uint8_t* d, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= d[i];
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

// Reads 8-bit RGB PNGs whose zlib stream holds stored blocks and filter-0 rows, checking every
// CRC and the Adler-32; that is all the generator writes, so anything else is an error here.
inline Png readPng(const std::string& path) {
    Png p;
    const std::vector<uint8_t> b = bytesOf(path);
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() < 8 || std::memcmp(b.data(), sig, 8)) return p.error = "bad signature", p;
    std::vector<uint8_t> z;
    bool ended = false;
    for (size_t at = 8; at + 12 <= b.size() && !ended;) {
        const uint32_t len = be(b, at);
        if (at + 12 + len > b.size()) return p.error = "chunk runs past the end", p;
        if (crc32(b.data() + at + 4, len + 4) != be(b, at + 8 + len)) return p.error = "bad CRC", p;
        const std::string type(b.begin() + at + 4, b.begin() + at + 8);
        if (type == "IHDR") {
            p.width = be(b, at + 8);
            p.height = be(b, at + 12);
            if (b[at + 16] != 8 || b[at + 17] != 2) return p.error = "not 8-bit RGB", p;
        } else if (type == "IDAT") {
            z.insert(z.end(), b.begin() + at + 8, b.begin() + at + 8 + len);
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + len;
    }
    if (!ended) return p.error = "no IEND", p;
    if (z.size() < 6 || (z[0] * 256 + z[1]) % 31 != 0) return p.error = "bad zlib header", p;
    std::vector<uint8_t> raw;
    size_t at = 2;
    for (bool last = false; !last;) {
        if (at + 5 > z.size()) return p.error = "truncated deflate", p;
        last = z[at] & 1;
        if ((z[at] >> 1) & 3) return p.error = "compressed block", p;
        const uint32_t len = le(z, at + 1, 2);
        if ((len ^ le(z, at + 3, 2)) != 0xFFFF) return p.error = "bad stored length", p;
        if (at + 5 + len > z.size()) return p.error = "truncated deflate", p;
        raw.insert(raw.end(), z.begin() + at + 5, z.begin() + at + 5 + len);
        at += 5 + len;
    }
    uint32_t a = 1, s = 0;
    for (uint8_t v : raw)
        a = (a + v) % 65521, s = (s + a) % 65521;
    if (at + 4 > z.size() || be(z, at) != ((s << 16) | a)) return p.error = "bad Adler-32", p;
    const size_t row = 1 + size_t(p.width) * 3;
    if (raw.size() != row * p.height) return p.error = "wrong amount of pixel data", p;
    for (int y = 0; y < p.height; ++y) {
        if (raw[y * row] != 0) return p.error = "filtered row", p;
        p.rgb.insert(p.rgb.end(), raw.begin() + y * row + 1, raw.begin() + (y + 1) * row);
    }
    return p;
}

} // namespace assets
