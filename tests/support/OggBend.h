// Ogg Vorbis files bent for tests: a stream's channels, rate or serial changed, checksums redone.
#pragma once

#include <cstdint>
#include <string>

namespace oggbend {

// The Ogg page checksum: CRC-32 with polynomial 0x04c11db7, no reflection, over the page with its
// checksum field zeroed.
inline uint32_t pageCrc(const unsigned char* page, size_t n) {
    uint32_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc ^= uint32_t(page[i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// The file's pages with the identification header of its first stream saying channels and rate,
// and every serial number xored with serialXor (so two copies can be chained as two streams).
inline std::string bend(std::string ogg, int channels, uint32_t rate, uint32_t serialXor = 0) {
    for (size_t at = 0; at + 27 <= ogg.size() && ogg.compare(at, 4, "OggS") == 0;) {
        auto* page = reinterpret_cast<unsigned char*>(&ogg[at]);
        const int segments = page[26];
        size_t body = 0;
        for (int i = 0; i < segments; ++i)
            body += page[27 + i];
        const size_t length = 27 + segments + body;
        if (at + length > ogg.size()) break;
        for (int i = 0; i < 4; ++i)
            page[14 + i] ^= uint8_t(serialXor >> (8 * i));
        unsigned char* packet = page + 27 + segments;
        // The first page of a stream holds "\x01vorbis", version, channels, rate.
        if ((page[5] & 0x02) && body >= 16 && packet[0] == 1) {
            packet[11] = uint8_t(channels);
            for (int i = 0; i < 4; ++i)
                packet[12 + i] = uint8_t(rate >> (8 * i));
        }
        for (int i = 22; i < 26; ++i)
            page[i] = 0;
        const uint32_t crc = pageCrc(page, length);
        for (int i = 0; i < 4; ++i)
            page[22 + i] = uint8_t(crc >> (8 * i));
        at += length;
    }
    return ogg;
}

} // namespace oggbend
