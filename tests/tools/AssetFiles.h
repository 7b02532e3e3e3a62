// Ogg Vorbis decoding for the asset tests: the music is judged by what actually decodes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <vorbis/vorbisfile.h>

namespace assets {

// Interleaved stereo samples; *rate stays 0 unless the whole file decoded as stereo.
inline std::vector<int16_t> decodeOgg(const std::string& path, long* rate = nullptr) {
    std::vector<int16_t> samples;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return samples;
    char buf[8192];
    int section = 0;
    long n;
    while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0)
        samples.insert(samples.end(), reinterpret_cast<int16_t*>(buf),
                       reinterpret_cast<int16_t*>(buf + n));
    if (rate) *rate = n == 0 && ov_info(&vf, -1)->channels == 2 ? ov_info(&vf, -1)->rate : 0;
    ov_clear(&vf);
    return samples;
}

} // namespace assets
