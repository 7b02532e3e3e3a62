// The desktop's Ogg Vorbis check: every logical stream of the music must be one the mixer can play.
#include "plix/PlixMedia.h"
#include "plix/PlixPlatform.h"

#include <cstdio>

#include <vorbis/vorbisfile.h>

const char* Plix_platformMusicProblem(const char* fileName) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return nullptr;
    OggVorbis_File vorbis;
    // Not Ogg Vorbis at all: SDL_mixer refuses that itself, in its own words.
    if (ov_open(file, &vorbis, nullptr, 0) != 0) {
        std::fclose(file);
        return nullptr;
    }
    static char problem[96];
    problem[0] = '\0';
    const long streams = ov_streams(&vorbis);
    for (long i = 0; i < streams && !problem[0]; ++i) {
        const vorbis_info* info = ov_info(&vorbis, int(i));
        if (!info) {
            std::snprintf(problem, sizeof problem, "stream %ld of %ld has no header", i + 1,
                          streams);
        } else if (info->rate < PLIX_MIN_RATE || info->rate > PLIX_MAX_RATE) {
            std::snprintf(problem, sizeof problem,
                          "stream %ld of %ld has a rate of %ld Hz, not %ld to %ld", i + 1, streams,
                          info->rate, PLIX_MIN_RATE, PLIX_MAX_RATE);
        } else if (info->channels < 1 || info->channels > PLIX_MAX_CHANNELS) {
            std::snprintf(problem, sizeof problem,
                          "stream %ld of %ld has %d channels, not 1 or %ld", i + 1, streams,
                          info->channels, PLIX_MAX_CHANNELS);
        }
    }
    ov_clear(&vorbis); // closes the file too
    return problem[0] ? problem : nullptr;
}
