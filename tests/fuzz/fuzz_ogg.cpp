// fuzz_ogg: the Ogg Vorbis check on any bytes; what it takes is played through as the mixer's music
// thread plays it, and every stream the decoder meets must be one the mixer can convert.
#include "FuzzSupport.h"
#include "plix/PlixMedia.h"
#include "plix/desktop/PlixVorbis.h"
#include "support/MediaFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vorbis/vorbisfile.h>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

// Each whole page's checksum made right, so that a mutation reaches the checks behind it.
void rightChecksums(uint8_t* data, size_t size) {
    for (size_t at = 0; at + 27 <= size; ++at) {
        if (std::memcmp(data + at, "OggS", 4) != 0) continue;
        size_t length = 27 + data[at + 26];
        for (size_t i = 0; i < data[at + 26] && at + 27 + i < size; ++i)
            length += data[at + 27 + i];
        if (length > size - at) continue;
        std::memset(data + at + 22, 0, 4);
        const uint32_t crc =
            mediafiles::pageCrc(std::string(reinterpret_cast<char*>(data + at), length));
        for (int i = 0; i < 4; ++i)
            data[at + 22 + i] = uint8_t(crc >> (8 * i));
        at += length - 1;
    }
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    // One time in eight the checksums stay as the mutation left them.
    if (seed % 8) rightChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (oggProblem(data, size)) return 0;
    // SDL_mixer hands the decoder the file to read and to seek in, as this stream in memory.
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    OggVorbis_File vf;
    // What the decoder cannot open the mixer refuses in its own words.
    if (!file || ov_open_callbacks(file, &vf, nullptr, 0, OV_CALLBACKS_NOCLOSE) != 0) {
        if (file) std::fclose(file);
        return 0;
    }
    // The mixer seeks to the start as it plays, then reads to the end, converting each stream.
    ov_time_seek(&vf, 0);
    char pcm[4096];
    int link = 0;
    for (long n; (n = ov_read(&vf, pcm, sizeof pcm, 0, 2, 1, &link)) != 0;) {
        if (n == OV_EINVAL || n == OV_EBADLINK) break;
        const vorbis_info* info = ov_info(&vf, -1);
        if (info && (info->channels < 1 || info->channels > PLIX_MAX_CHANNELS ||
                     info->rate < PLIX_MIN_RATE || info->rate > PLIX_MAX_RATE))
            fuzz::fail("the decoder met a stream of %d channels at %ld Hz", info->channels,
                       info->rate);
    }
    ov_clear(&vf);
    std::fclose(file);
    return 0;
}
