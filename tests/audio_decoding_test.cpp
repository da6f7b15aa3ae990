// Decoding: every WAV encoding written at test time from a known signal and read back
// whole and as a stream; IMA ADPCM against the independent reference decoder; OGG encoded
// by oggenc; and files that lie, are cut short or are not sound at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "adpcm_encoder.h"
#include "slate/audio/decoding.h"
#include "support/ima_adpcm_decoder.h"
#include "support/wav_encodings.h"
#include "wav_writer.h"

using namespace Slate::Audio;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The file's bytes and the floats a decoder must give for them.
struct Encoded {
  std::vector<uint8_t> bytes;
  std::vector<float> want;
};

// A different tone in each channel, written in the spec's encoding.
Encoded encodePcm(const TestWav::Spec& s, int frames) {
  std::vector<uint8_t> data;
  std::vector<float> want;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < s.channels; ++c) {
      const double v = 0.9 * std::sin(2 * kPi * i * (c + 1) / 37.0);
      if (s.tag == 3) {
        const float f = float(v);
        uint32_t u;
        std::memcpy(&u, &f, 4);
        TestWav::put(data, u, 4);
        want.push_back(f);
        continue;
      }
      const double full = std::ldexp(1.0, s.bits - 1);
      const int64_t q = std::llround(v * (full - 1));
      TestWav::put(data, uint32_t(s.bits == 8 ? q + 128 : q), s.bits / 8);
      want.push_back(float(int32_t(q)) * float(1.0 / full));
    }
  }
  return {TestWav::file(s, data), want};
}

// Two mono IMA ADPCM encodings made into stereo blocks: both headers, then each channel's
// codes in runs of 4 bytes in turn.
Encoded encodeStereoAdpcm(const std::vector<int16_t>& left, const std::vector<int16_t>& right) {
  const std::vector<uint8_t> l = assetgen::encode_ima_adpcm(left),
                             r = assetgen::encode_ima_adpcm(right);
  std::vector<uint8_t> data;
  for (size_t b = 0; b < l.size(); b += 1024) {
    data.insert(data.end(), &l[b], &l[b] + 4);
    data.insert(data.end(), &r[b], &r[b] + 4);
    for (size_t run = 4; run < 1024; run += 4) {
      data.insert(data.end(), &l[b + run], &l[b + run] + 4);
      data.insert(data.end(), &r[b + run], &r[b + run] + 4);
    }
  }
  bool ok = false;
  const std::vector<int> dl = ImaAdpcm::decode(l.data(), l.size(), &ok),
                         dr = ImaAdpcm::decode(r.data(), r.size(), &ok);
  Encoded e;
  for (size_t i = 0; i < dl.size(); ++i) {
    e.want.push_back(float(dl[i]) / 32768);
    e.want.push_back(float(dr[i]) / 32768);
  }
  TestWav::Spec s = TestWav::format(0x11, 2, 22050, 4);
  s.blockAlign = 2048;
  s.fmtExtra = {2, 0, 0xF9, 0x07};  // cbSize 2, 2041 frames a block
  e.bytes = TestWav::file(s, data);
  return e;
}

std::vector<int16_t> tone(int n, double period, double level) {
  std::vector<int16_t> pcm(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) pcm[size_t(i)] = int16_t(level * std::sin(2 * kPi * i / period));
  return pcm;
}

Encoded encodeMonoAdpcm() {
  const std::vector<uint8_t> file = assetgen::encode_adpcm_wav(tone(5000, 50, 20000));
  Encoded e{file, {}};
  bool ok = false;
  // The game's files: the data chunk's body starts after RIFF, fmt (20 bytes) and its header.
  for (int v : ImaAdpcm::decode(file.data() + 48, 3 * 1024, &ok)) e.want.push_back(v / 32768.0f);
  return e;
}

std::vector<float> readStream(StreamDecoder& s, int chunk) {
  std::vector<float> out, buf(size_t(chunk * s.channels()));
  while (int n = s.read(buf.data(), chunk))
    out.insert(out.end(), buf.begin(), buf.begin() + n * s.channels());
  return out;
}

struct RoundTrip {
  const char* name;
  Encoded file;
  int channels, rate;
};

TEST(AudioDecoding, RoundTripsWholeAndStreamed) {
  auto spec = [](uint16_t tag, int ch, uint32_t rate, int bits, bool ext = false, bool junk = false,
                 bool dataFirst = false) {
    TestWav::Spec s = TestWav::format(tag, ch, rate, bits);
    s.extensible = ext;
    s.junkFirst = junk;
    s.dataFirst = dataFirst;
    return s;
  };
  const RoundTrip cases[] = {
      {"pcm8 mono", encodePcm(spec(1, 1, 8000, 8), 301), 1, 8000},
      {"pcm16 stereo", encodePcm(spec(1, 2, 44100, 16), 300), 2, 44100},
      {"pcm24 mono, odd chunk first", encodePcm(spec(1, 1, 48000, 24, false, true), 299), 1, 48000},
      {"pcm32 stereo, data first", encodePcm(spec(1, 2, 96000, 32, false, false, true), 300), 2,
       96000},
      {"float stereo", encodePcm(spec(3, 2, 1, 32), 300), 2, 1},
      {"extensible pcm16 stereo", encodePcm(spec(1, 2, 384000, 16, true), 300), 2, 384000},
      {"extensible float mono", encodePcm(spec(3, 1, 22050, 32, true), 300), 1, 22050},
      {"ima adpcm mono (the game's)", encodeMonoAdpcm(), 1, 44100},
      {"ima adpcm stereo", encodeStereoAdpcm(tone(4100, 40, 15000), tone(4100, 90, -9000)), 2,
       22050},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.name);
    SoundData d;
    std::string why;
    ASSERT_TRUE(decodeSound(c.file.bytes.data(), c.file.bytes.size(), &d, &why)) << why;
    EXPECT_EQ(d.channels, c.channels);
    EXPECT_EQ(d.rate, c.rate);
    EXPECT_EQ(d.samples, c.file.want);
    // A stream read in odd pieces, twice across a rewind, gives the same frames.
    auto s = openStreamDecoder(c.file.bytes, &why);
    ASSERT_TRUE(s) << why;
    EXPECT_EQ(readStream(*s, 777), c.file.want);
    ASSERT_TRUE(s->rewind());
    EXPECT_EQ(readStream(*s, 64), c.file.want);
  }
}

// A 16-bit mono file of `frames` frames, with the data size it claims.
std::vector<uint8_t> pcm16(int frames, int64_t claimed = -1) {
  TestWav::Spec s;
  s.claimedData = claimed;
  return TestWav::file(s, std::vector<uint8_t>(size_t(frames) * 2, 0x10));
}

std::vector<uint8_t> withFormat(uint16_t tag, int channels, uint32_t rate, int bits,
                                uint16_t align = 0, std::vector<uint8_t> extra = {}) {
  TestWav::Spec s = TestWav::format(tag, channels, rate, bits);
  s.blockAlign = align;
  s.fmtExtra = std::move(extra);
  return TestWav::file(s, std::vector<uint8_t>(4096, 0x22));
}

std::vector<uint8_t> bytesOf(const std::string& s) {
  return {s.begin(), s.end()};
}

struct BadFile {
  const char* name;
  std::vector<uint8_t> bytes;
  int64_t frames;      // what is decoded, or -1 when it is refused
  const char* reason;  // part of the refusal's reason
};

TEST(AudioDecoding, BadFilesRefusedOrClampedLeavingTheTargetAlone) {
  std::vector<uint8_t> cutFmt = pcm16(10);
  cutFmt.resize(30);
  std::vector<uint8_t> cutBlock = encodeMonoAdpcm().bytes;
  cutBlock.resize(48 + 1024 + 104);                          // a whole block and 100 bytes of codes
  std::vector<uint8_t> shortFact = encodeMonoAdpcm().bytes;  // "fact" is its last field
  std::memcpy(&shortFact[shortFact.size() - 4], "\x88\x13\0\0", 4);  // 5000 frames
  std::vector<uint8_t> pcmFact = pcm16(100);
  const uint8_t factZero[] = {'f', 'a', 'c', 't', 4, 0, 0, 0, 0, 0, 0, 0};
  pcmFact.insert(pcmFact.end(), factZero, factZero + 12);
  std::vector<uint8_t> noFmt = bytesOf(std::string("RIFF\x10\0\0\0WAVEdata\x04\0\0\0abcd", 24));
  const BadFile cases[] = {
      {"empty", {}, -1, "empty file"},
      {"RIFF alone", bytesOf("RIFF"), -1, "not a WAV"},
      {"text", bytesOf("hello, world"), -1, "not a WAV or OGG"},
      {"no format chunk", noFmt, -1, "no format chunk"},
      {"format cut short", cutFmt, -1, "truncated WAV header"},
      {"data claims more than there is", pcm16(100, 1000000), 100, ""},
      {"data claims 4 GiB", pcm16(100, 0xFFFFFFFF), 100, ""},
      {"half a frame", TestWav::file({}, {1}), -1, "truncated WAV file"},
      {"no samples", pcm16(0), -1, "no samples"},
      {"three channels", withFormat(1, 3, 44100, 16), -1, "channel count"},
      {"rate 0", withFormat(1, 1, 0, 16), -1, "sample rate"},
      {"rate past the limit", withFormat(1, 1, kMaxRate + 1, 16), -1, "sample rate"},
      {"12-bit PCM", withFormat(1, 1, 44100, 12), -1, "unsupported WAV encoding"},
      {"64-bit float", withFormat(3, 1, 44100, 64), -1, "unsupported WAV encoding"},
      {"MP3 in WAV", withFormat(0x55, 1, 44100, 0), -1, "unsupported WAV encoding"},
      {"ADPCM block of 3 bytes", withFormat(0x11, 1, 44100, 4, 3), -1, "block size"},
      {"ADPCM claims more frames than a block holds",
       withFormat(0x11, 1, 44100, 4, 1024, {2, 0, 0xFF, 0x0F}), -1, "block size"},
      {"ADPCM cut inside a block", cutBlock, 2041 + 201, ""},
      {"ADPCM \"fact\" leaves out the padding", shortFact, 5000, ""},
      {"PCM \"fact\" of 0 is not trusted", pcmFact, 100, ""},
      {"longer than a whole decode may be",
       TestWav::file(TestWav::format(1, 1, 44100, 8),
                     std::vector<uint8_t>(size_t(kMaxDecodedSamples) + 1)),
       -1, "too long"},
      {"OGG header alone", bytesOf("OggS\0\x02\0\0\0\0"), -1, "OGG"},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.name);
    SoundData d{7, 1, {0.25f}};
    std::string why;
    const bool ok = decodeSound(c.bytes.data(), c.bytes.size(), &d, &why);
    EXPECT_EQ(ok, c.frames >= 0) << why;
    if (ok) {
      EXPECT_EQ(d.frames(), c.frames);
    } else {
      EXPECT_NE(why.find(c.reason), std::string::npos) << why;
      EXPECT_EQ(d.rate, 7);
      EXPECT_EQ(d.samples, std::vector<float>{0.25f});
      // Streams take any length; everything else they refuse as well.
      if (why.find("too long") == std::string::npos) {
        EXPECT_EQ(openStreamDecoder(c.bytes, &why), nullptr);
      }
    }
  }
  // Every cut of a good file is refused or decodes no more than there is.
  const std::vector<uint8_t> whole =
      encodeStereoAdpcm(tone(2100, 30, 9000), tone(2100, 70, 9000)).bytes;
  for (size_t n = 0; n <= whole.size(); n += 7) {
    SoundData d;
    std::string why;
    if (decodeSound(whole.data(), n, &d, &why)) {
      EXPECT_LE(d.frames(), 2 * 2041);
    }
  }
}

// oggenc (vorbis-tools) encodes a 440 Hz tone at half scale; nothing binary is committed.
TEST(AudioDecoding, OggToneKeepsLevelAndFrequency) {
  const std::string dir = ::testing::TempDir(), wav = dir + "tone.wav", ogg = dir + "tone.ogg";
  const std::vector<int16_t> pcm = tone(4 * 44100, 44100.0 / 440, 16384);
  std::vector<uint8_t> data;
  for (int16_t v : pcm) TestWav::put(data, uint16_t(v), 2);
  const std::vector<uint8_t> file = TestWav::file({}, data);
  std::ofstream(wav, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), file.size());
  if (std::system(("oggenc -Q -q 4 -o '" + ogg + "' '" + wav + "'").c_str()) != 0)
    GTEST_SKIP() << "oggenc (vorbis-tools) is not installed";
  std::ifstream in(ogg, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};

  SoundData d;
  std::string why;
  ASSERT_TRUE(decodeSound(bytes.data(), bytes.size(), &d, &why)) << why;
  EXPECT_EQ(d.rate, 44100);
  EXPECT_EQ(d.channels, 1);
  EXPECT_NEAR(double(d.frames()), 4 * 44100, 1024);
  double power = 0;
  int crossings = 0;
  for (size_t i = 4410; i < 39690; ++i) {  // the middle 0.8 s
    power += double(d.samples[i]) * d.samples[i];
    crossings += (d.samples[i - 1] < 0) != (d.samples[i] < 0);
  }
  EXPECT_NEAR(std::sqrt(power / 35280), 0.5 / std::sqrt(2.0), 0.02);
  EXPECT_NEAR(crossings / 2 / 0.8, 440, 2);

  auto s = openStreamDecoder(bytes, &why);
  ASSERT_TRUE(s) << why;
  const std::vector<float> first = readStream(*s, 1000);
  ASSERT_TRUE(s->rewind());
  EXPECT_EQ(readStream(*s, 333), first);
  EXPECT_EQ(first.size(), d.samples.size());
  // Cut in the middle of its last page: the pages before the cut decode.
  const std::string text(bytes.begin(), bytes.end());
  const size_t lastPage = text.rfind("OggS");
  SoundData cut;
  ASSERT_TRUE(decodeSound(bytes.data(), (lastPage + bytes.size()) / 2, &cut, &why)) << why;
  EXPECT_GT(cut.frames(), 44100);
  EXPECT_LT(cut.frames(), d.frames());
}

}  // namespace
