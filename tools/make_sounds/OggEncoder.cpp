// EncodeOggVorbis: libvorbisenc's analysis loop into Ogg pages in memory.
#include "tools/make_sounds/OggEncoder.h"

#include <vorbis/vorbisenc.h>

#include <cstdio>
#include <filesystem>

namespace Varnok {

namespace {

void AppendPage(const ogg_page& page, std::vector<uint8_t>* out) {
    out->insert(out->end(), page.header, page.header + page.header_len);
    out->insert(out->end(), page.body, page.body + page.body_len);
}

}  // namespace

bool EncodeOggVorbis(const std::vector<int16_t>& samples, const OggEncodeDef& def,
                     std::vector<uint8_t>* outBytes) {
    if (def.channels == 0 || outBytes == nullptr) {
        return false;
    }
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, static_cast<long>(def.channels),
                               static_cast<long>(def.sampleRate), def.quality) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "varnok make_sounds");
    for (const std::string& text : def.comments) {
        vorbis_comment_add(&comment, text.c_str());
    }
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, static_cast<int>(def.serial));

    std::vector<uint8_t> bytes;
    ogg_packet header;
    ogg_packet commentHeader;
    ogg_packet codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) {
        AppendPage(page, &bytes);
    }

    const size_t frames = samples.size() / def.channels;
    constexpr size_t kChunk = 1024;
    size_t done = 0;
    bool finished = false;
    while (!finished) {
        const size_t n = frames - done < kChunk ? frames - done : kChunk;
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);  // end of stream
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i) {
                for (uint32_t c = 0; c < def.channels; ++c) {
                    buffer[c][i] = samples[(done + i) * def.channels + c] / 32768.0f;
                }
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    AppendPage(page, &bytes);
                    if (ogg_page_eos(&page)) {
                        finished = true;
                    }
                }
            }
        }
        if (n == 0) {
            finished = true;
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0) {
        AppendPage(page, &bytes);
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    *outBytes = std::move(bytes);
    return true;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) {
        std::filesystem::create_directories(parent, error);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace Varnok
