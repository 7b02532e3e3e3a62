// Sound measurements for the asset tests: the music is judged by what actually decodes.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
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

// Levels against 16-bit full scale (32768), over every sample given, all channels alike: RMS and
// peak in dBFS (a full-scale sine has an RMS of -3), DC as the mean sample over full scale.
struct Levels {
    double rmsDb, peakDb, dc;
};

inline Levels levelsOf(const std::vector<int16_t>& samples) {
    double sum = 0, squares = 0;
    int peak = 0;
    for (int16_t s : samples) {
        sum += s;
        squares += double(s) * s;
        peak = std::max(peak, std::abs(int(s)));
    }
    const double n = std::max<size_t>(samples.size(), 1), full = 32768;
    return {10 * std::log10(squares / n / (full * full)), 20 * std::log10(peak / full),
            sum / n / full};
}

} // namespace assets
