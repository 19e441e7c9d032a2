// Decoding: the memory data source, the Vorbis wrapper, the loop comment and
// damaged files.
#include "engine/audio/AudioDecoder.h"
#include "engine/audio/DecodedSample.h"
#include "engine/audio/OggVorbisSample.h"
#include "engine/audio/OpenSample.h"

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using test::ReadFixture;

SmartPtr<OggVorbisSample> OpenFixture(const char* name) {
    SmartPtr<OggVorbisSample> sample(new OggVorbisSample);
    EXPECT_TRUE(sample->OpenBytes(ReadFixture(name), name));
    return sample;
}

std::vector<int16_t> ReadAll(AudioSampleSource& source) {
    std::vector<int16_t> samples(static_cast<size_t>(source.GetLength()) *
                                 source.GetChannelCount());
    samples.resize(static_cast<size_t>(source.Read(samples.data(), 0, source.GetLength())) *
                   source.GetChannelCount());
    return samples;
}

TEST(MemoryDataSource, SeeksOnlyInsideTheData) {
    const uint8_t bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    MemoryDataSource source(bytes, sizeof bytes);
    EXPECT_TRUE(source.Seek(4, kDataSeekStart));
    EXPECT_EQ(source.Tell(), 4);
    EXPECT_FALSE(source.Seek(-5, kDataSeekCurrent));
    EXPECT_FALSE(source.Seek(1, kDataSeekEnd));
    EXPECT_FALSE(source.Seek(0, 3));
    EXPECT_FALSE(source.Seek(INT64_MIN, kDataSeekCurrent));
    EXPECT_FALSE(source.Seek(INT64_MAX, kDataSeekCurrent));
    EXPECT_EQ(source.Tell(), 4);  // failed seeks leave the position
    EXPECT_TRUE(source.Seek(-2, kDataSeekEnd));
    EXPECT_EQ(source.Remaining(), 2);
}

TEST(MemoryDataSource, ReadsWholeElementsOnly) {
    const uint8_t bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    MemoryDataSource source(bytes, sizeof bytes);
    uint8_t out[12] = {};
    EXPECT_EQ(source.Read(out, 4, 3), 2u);  // 8 of the 10 bytes
    EXPECT_EQ(source.Tell(), 8);
    EXPECT_EQ(out[7], 7);
    EXPECT_EQ(source.Read(out, 4, 1), 0u);
    EXPECT_EQ(source.Read(out, 0, 1), 0u);
}

TEST(AudioDecoder, RefusesWhatIsNotOggVorbis) {
    const std::string text = "RIFF....WAVEfmt this is not an Ogg stream at all";
    auto* source = new MemoryDataSource(reinterpret_cast<const uint8_t*>(text.data()),
                                        text.size());
    EXPECT_EQ(CreateAudioDecoder(source, true), nullptr);  // and the source is deleted
}

TEST(AudioDecoder, TimesOfADamagedStreamAreSafe) {
    // A file found by fuzzing: after these seeks the library's own time
    // query reads the rate of a link before the first, and divided by zero.
    std::ifstream file(std::string(VARNOK_TEST_DATA_DIR) + "/damaged_link.ogg", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    std::unique_ptr<AudioDecoder> decoder =
        CreateAudioDecoder(new MemoryDataSource(bytes.data(), bytes.size()), true);
    ASSERT_NE(decoder, nullptr);
    char buffer[4096];
    while (decoder->Decode(buffer, sizeof buffer) > 0) {
    }
    const int64_t total = decoder->GetTotalFrames();
    decoder->SeekFrame(total / 2);
    decoder->Decode(buffer, sizeof buffer);
    decoder->SeekFramePage(total / 3);
    decoder->SeekMilliseconds(1);
    decoder->TellMilliseconds();  // whatever it answers, it answers
    EXPECT_GE(decoder->GetTotalMilliseconds(), 0);
    EXPECT_FALSE(decoder->SeekMilliseconds(INT64_MAX));
}

TEST(OggVorbisSample, ReadsFormatAndLoopComment) {
    const struct {
        const char* fixture;
        uint32_t rate, channels, length, loopStart;
    } cases[] = {
        {"tone22k_loop500", 22050, 1, 4410, 500},
        {"tone44k", 44100, 1, 4410, AudioSampleSource::kNoLoop},
        {"stereo44k", 44100, 2, 8820, AudioSampleSource::kNoLoop},
        {"music_loop", 44100, 2, 44100, 22050},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        SmartPtr<OggVorbisSample> sample = OpenFixture(c.fixture);
        EXPECT_EQ(sample->GetSampleRate(), c.rate);
        EXPECT_EQ(sample->GetChannelCount(), c.channels);
        EXPECT_EQ(sample->GetLength(), c.length);
        EXPECT_EQ(sample->GetLoopStart(), c.loopStart);
    }
}

TEST(OggVorbisSample, IgnoresLoopCommentsThatAreNoFrame) {
    for (const char* fixture : {"loop_letters", "loop_past_end", "loop_negative", "loop_huge"}) {
        SCOPED_TRACE(fixture);
        SmartPtr<OggVorbisSample> sample = OpenFixture(fixture);
        EXPECT_EQ(sample->GetLoopStart(), AudioSampleSource::kNoLoop);
        EXPECT_EQ(sample->GetLength(), 4410u);  // the sound itself still plays
    }
}

TEST(OggVorbisSample, DecodesTheToneAtItsLevel) {
    SmartPtr<OggVorbisSample> sample = OpenFixture("tone44k");
    const std::vector<int16_t> samples = ReadAll(*sample);
    ASSERT_EQ(samples.size(), 4410u);
    // A sine of peak 0.5 has an RMS of 0.354.
    EXPECT_NEAR(test::Rms(samples.data(), 1, 0, 0, 4410), 0.354, 0.02);
}

TEST(OggVorbisSample, ReadsAnyRangeAgainExactly) {
    SmartPtr<OggVorbisSample> sample = OpenFixture("stereo44k");
    const std::vector<int16_t> whole = ReadAll(*sample);
    // Backwards, forwards, and over the end: each read seeks where it must.
    for (uint32_t from : {5000u, 100u, 8800u}) {
        SCOPED_TRACE(from);
        std::vector<int16_t> part(2 * 200, -1);
        const uint32_t got = sample->Read(part.data(), from, from + 200);
        const uint32_t expected = std::min(200u, 8820u - from);
        ASSERT_EQ(got, expected);
        for (uint32_t i = 0; i < 2 * got; ++i) {
            ASSERT_EQ(part[i], whole[2 * from + i]) << i;
        }
    }
    EXPECT_EQ(sample->Read(whole.empty() ? nullptr : const_cast<int16_t*>(whole.data()), 9000,
                           9100),
              0u);
}

std::vector<uint8_t> Flip(std::vector<uint8_t> bytes, size_t at) {
    if (at < bytes.size()) {
        bytes[at] ^= 0x5A;
    }
    return bytes;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(std::min(size, bytes.size()));
    return bytes;
}

TEST(OggVorbisSample, RefusesOrShortensDamagedFiles) {
    const std::vector<uint8_t> good = ReadFixture("stereo44k");
    const std::string text = "not audio at all";
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        bool mayOpen;  // true: the damage lies past the headers
    } cases[] = {
        {"empty", {}, false},
        {"capture pattern only", {'O', 'g', 'g', 'S'}, false},
        {"not Ogg", std::vector<uint8_t>(text.begin(), text.end()), false},
        {"first page cut", Cut(good, 20), false},
        {"headers cut", Cut(good, 200), false},
        {"capture pattern damaged", Flip(good, 1), false},
        {"identification header damaged", Flip(good, 35), false},
        {"cut in the audio", Cut(good, good.size() / 2), true},
        {"audio byte flipped", Flip(good, good.size() * 3 / 4), true},
        {"last byte gone", Cut(good, good.size() - 1), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SmartPtr<OggVorbisSample> sample(new OggVorbisSample);
        const bool opened = sample->OpenBytes(c.bytes, c.what);
        if (!c.mayOpen) {
            EXPECT_FALSE(opened);
            EXPECT_EQ(sample->GetLength(), 0u);
            continue;
        }
        if (opened) {
            // Whatever decodes is at most what the stream announced.
            const std::vector<int16_t> samples = ReadAll(*sample);
            EXPECT_LE(samples.size(), static_cast<size_t>(sample->GetLength()) * 2);
            EXPECT_LE(sample->GetLength(), 8820u);
        }
    }
}

TEST(OpenSample, ConvertsToTheMixRateAndScalesTheLoopPoint) {
    SmartPtr<AudioSampleSource> sample =
        OpenSampleBytes(ReadFixture("tone22k_loop500"), "tone22k_loop500", false, false);
    ASSERT_TRUE(sample);
    EXPECT_EQ(sample->GetSampleRate(), kMixRate);
    EXPECT_EQ(sample->GetLength(), 8820u);
    EXPECT_EQ(sample->GetLoopStart(), 1000u);  // 500 x 44100 / 22050
    EXPECT_NE(sample->GetFrames(0, 8820), nullptr);

    SmartPtr<AudioSampleSource> streamed =
        OpenSampleBytes(ReadFixture("tone22k_loop500"), "tone22k_loop500", true, false);
    ASSERT_TRUE(streamed);
    EXPECT_EQ(streamed->GetLength(), 8820u);
    EXPECT_EQ(streamed->GetLoopStart(), 1000u);
    // The streamed frames are the decoded ones.
    const int16_t* window = streamed->GetFrames(3000, 4000);
    const int16_t* whole = sample->GetFrames(3000, 4000);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(window[i], whole[i]) << i;
    }
}

TEST(OpenSample, MissingOrDamagedFilesGiveNull) {
    test::MountedFolder folder;
    folder.WriteText("sound/broken.ogg", "OggS but nothing after");
    EXPECT_FALSE(OpenSample("sound/nowhere.ogg", false, false));
    EXPECT_FALSE(OpenSample("sound/broken.ogg", false, false));
    EXPECT_FALSE(OpenSample("sound/broken.ogg", true, false));
    folder.CopyFixture("tone44k", "sound/fine");
    EXPECT_TRUE(OpenSample("sound/fine.ogg", false, false));
}

TEST(DecodedSample, KeepsWhatAShortSourceDelivers) {
    // A source that announces more frames than it has, as a damaged stream does.
    class ShortSource : public AudioSampleSource {
    public:
        uint32_t GetSampleRate() const override { return 44100; }
        uint32_t GetChannelCount() const override { return 1; }
        uint32_t GetLoopStart() const override { return 7; }
        uint32_t GetLength() const override { return 4000000000u; }
        uint32_t Read(int16_t* dest, uint32_t from, uint32_t to) override {
            uint32_t n = 0;
            for (uint32_t i = from; i < to && i < 50000; ++i, ++n) {
                dest[n] = static_cast<int16_t>(i);
            }
            return n;
        }
    };
    ShortSource source;
    SmartPtr<DecodedSample> sample = DecodedSample::Decode(source, "short");
    EXPECT_EQ(sample->GetLength(), 50000u);
    EXPECT_EQ(sample->GetLoopStart(), 7u);
    EXPECT_EQ(sample->GetFrames(0, 50000)[49999], static_cast<int16_t>(49999));
}

TEST(AudioDecoder, RefusesAnOverfullCodebook) {
    // A file found by fuzzing: one codebook's code lengths claim more than
    // the whole code space; the library left it without a dimension and
    // divided by that on the first decode.
    std::ifstream file(std::string(VARNOK_TEST_DATA_DIR) + "/overfull_codebook.ogg",
                       std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateAudioDecoder(new MemoryDataSource(bytes.data(), bytes.size()), true),
              nullptr);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("VorbisDecoder: a codebook of the setup header is malformed"),
              std::string::npos)
        << log;
}

}  // namespace
}  // namespace Varnok
