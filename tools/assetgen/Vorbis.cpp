// Ogg Vorbis encoding of the music through libvorbisenc.
#include "Assets.h"
#include "Synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr float QUALITY = 0.3f;           // about 56 kbit/s at 22050 Hz stereo
constexpr int STREAM_SERIAL = 0x5A4F5256; // fixed, so reruns give the same stream headers
constexpr int CHUNK = 1024;

void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

std::vector<uint8_t> encodeOggVorbis(const std::vector<float>& stereo) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, SAMPLE_RATE, QUALITY) != 0)
        throw std::runtime_error("vorbis encoder refused the settings");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "ZORVANE boss theme");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, STREAM_SERIAL);

    std::vector<uint8_t> out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    // The audio must start on a fresh page, so the headers are flushed on their own.
    while (ogg_stream_flush(&stream, &page) != 0)
        appendPage(out, page);

    const size_t frames = stereo.size() / 2;
    size_t done = 0;
    bool ended = false;
    while (!ended) {
        const size_t n = std::min<size_t>(CHUNK, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0); // end of stream
            ended = true;
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i) {
                buffer[0][i] = stereo[2 * (done + i)];
                buffer[1][i] = stereo[2 * (done + i) + 1];
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    appendPage(out, page);
            }
        }
    }

    while (ogg_stream_flush(&stream, &page) != 0)
        appendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
