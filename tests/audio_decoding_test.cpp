// Decoding: every WAV encoding written at test time from a known signal and read back
// whole and as a stream; IMA ADPCM against the independent reference decoder; OGG encoded
// by oggenc; and files that lie, are cut short or are not sound at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "adpcm_encoder.h"
#include "slate/audio/decoding.h"
#include "support/ima_adpcm_decoder.h"
#include "support/wav_encodings.h"
#include "wav_writer.h"

using namespace Slate::Audio;
using Bytes = std::vector<uint8_t>;

namespace {

// A file's bytes and the floats a decoder must give for them.
struct Encoded {
  Bytes bytes;
  std::vector<float> want;
};

// A different tone in each channel, in the format's encoding.
Encoded encodePcm(TestWav::Format s, int frames, bool junkFirst = false, bool dataFirst = false) {
  s.junkFirst = junkFirst;
  s.dataFirst = dataFirst;
  Encoded e;
  Bytes data;
  for (int i = 0; i < frames * s.channels; ++i) {
    const double v = 0.9 * std::sin(i * (1 + i % s.channels) / 6.0),
                 full = std::ldexp(1.0, s.bits - 1);
    const int64_t q = std::llround(v * (full - 1));
    float f = s.tag == 3 ? float(v) : float(int32_t(q)) * float(1.0 / full);
    uint32_t u = uint32_t(s.bits == 8 ? q + 128 : q);
    if (s.tag == 3) std::memcpy(&u, &f, 4);
    TestWav::put(data, u, s.bits / 8);
    e.want.push_back(f);
  }
  e.bytes = TestWav::file(s, data);
  return e;
}

std::vector<int16_t> tone(int n, double period, double level) {
  std::vector<int16_t> pcm;
  for (int i = 0; i < n; ++i) pcm.push_back(int16_t(level * std::sin(6.2831853 * i / period)));
  return pcm;
}

std::vector<float> reference(const Bytes& adpcm) {
  bool ok = false;
  std::vector<float> out;
  for (int v : ImaAdpcm::decode(adpcm.data(), adpcm.size(), &ok)) out.push_back(v / 32768.0f);
  return out;
}

// The game's own kind of file: mono, 1024-byte blocks, data at byte 48, "fact" last.
Encoded encodeMonoAdpcm() {
  const Bytes file = assetgen::encode_adpcm_wav(tone(5000, 50, 20000));
  return {file, reference({file.begin() + 48, file.begin() + 48 + 3 * 1024})};
}

// Two mono encodings made into stereo blocks: both headers, then each channel's codes in
// runs of 4 bytes in turn.
Encoded encodeStereoAdpcm(int frames) {
  const Bytes l = assetgen::encode_ima_adpcm(tone(frames, 40, 15000)),
              r = assetgen::encode_ima_adpcm(tone(frames, 90, -9000));
  Bytes data;
  for (size_t at = 0; at < l.size(); at += 4)
    for (const Bytes* ch : {&l, &r}) data.insert(data.end(), &(*ch)[at], &(*ch)[at] + 4);
  Encoded e;
  const std::vector<float> dl = reference(l), dr = reference(r);
  for (size_t i = 0; i < dl.size(); ++i) e.want.insert(e.want.end(), {dl[i], dr[i]});
  TestWav::Format s(0x11, 2, 22050, 4);
  s.blockAlign = 2048;
  s.fmtExtra = {2, 0, 0xF9, 0x07};  // cbSize 2, 2041 frames a block
  e.bytes = TestWav::file(s, data);
  return e;
}

std::vector<float> readStream(StreamDecoder& s, int chunk) {
  std::vector<float> out, buf(size_t(chunk * s.channels()));
  while (int n = s.read(buf.data(), chunk))
    out.insert(out.end(), buf.begin(), buf.begin() + n * s.channels());
  return out;
}

TEST(AudioDecoding, RoundTripsWholeAndStreamed) {
  auto extensible = [](TestWav::Format s) { return s.extensible = true, s; };
  const struct {
    const char* name;
    Encoded file;
    int channels, rate;
  } cases[] = {
      {"pcm8 mono", encodePcm({1, 1, 8000, 8}, 301), 1, 8000},
      {"pcm16 stereo", encodePcm({1, 2, 44100, 16}, 300), 2, 44100},
      {"pcm24 mono, odd chunk first", encodePcm({1, 1, 48000, 24}, 299, true), 1, 48000},
      {"pcm32 stereo, data first", encodePcm({1, 2, 96000, 32}, 300, false, true), 2, 96000},
      {"float stereo at 1 Hz", encodePcm({3, 2, 1, 32}, 300), 2, 1},
      {"extensible pcm16 stereo", encodePcm(extensible({1, 2, kMaxRate, 16}), 300), 2, kMaxRate},
      {"extensible float mono", encodePcm(extensible({3, 1, 22050, 32}), 300), 1, 22050},
      {"ima adpcm mono (the game's)", encodeMonoAdpcm(), 1, 44100},
      {"ima adpcm stereo", encodeStereoAdpcm(4100), 2, 22050},
  };
  for (const auto& c : cases) {
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

// The bytes cut to `size`, with `put` written at `at`.
Bytes edited(Bytes b, size_t size, size_t at = 0, const char* put = "", size_t n = 0) {
  b.resize(size);
  std::memcpy(b.data() + at, put, n ? n : std::strlen(put));
  return b;
}

Bytes adpcmFormat(uint16_t align, Bytes extra) {
  TestWav::Format s(0x11, 1, 44100, 4);
  s.blockAlign = align;
  s.fmtExtra = std::move(extra);
  return TestWav::file(s, Bytes(4096));
}

TEST(AudioDecoding, BadFilesRefusedOrClampedLeavingTheTargetAlone) {
  const Bytes adpcm = encodeMonoAdpcm().bytes, pcm = TestWav::file({}, Bytes(200)), k4(4096);
  Bytes pcmFact = pcm;  // a fact chunk of 0 frames after the data
  pcmFact.insert(pcmFact.end(), {'f', 'a', 'c', 't', 4, 0, 0, 0, 0, 0, 0, 0});
  const size_t sizeField = 40;  // of the data chunk
  const struct {
    const char* name;
    Bytes bytes;
    int64_t frames;      // what is decoded, or -1 when it is refused
    const char* reason;  // part of the refusal's reason
  } cases[] = {
      {"empty", {}, -1, "empty file"},
      {"RIFF alone", edited(pcm, 4), -1, "not a WAV"},
      {"text", {'h', 'e', 'l', 'l', 'o', '!'}, -1, "not a WAV or OGG"},
      {"no format chunk", edited(pcm, pcm.size(), 12, "nope"), -1, "no format chunk"},
      {"no data chunk", edited(pcm, pcm.size(), 36, "nope"), -1, "no data chunk"},
      {"format cut short", edited(pcm, 30), -1, "truncated WAV header"},
      {"data claims more than there is", edited(pcm, pcm.size(), sizeField, "\x40\x42\x0f"), 100,
       ""},
      {"data claims 4 GiB", edited(pcm, pcm.size(), sizeField, "\xff\xff\xff\xff"), 100, ""},
      {"half a frame", TestWav::file({}, {1}), -1, "truncated WAV file"},
      {"no samples", TestWav::file({}, {}), -1, "no samples"},
      {"three channels", TestWav::file({1, 3, 44100, 16}, k4), -1, "channel count"},
      {"rate 0", TestWav::file({1, 1, 0, 16}, k4), -1, "sample rate"},
      {"rate past the limit", TestWav::file({1, 1, kMaxRate + 1, 16}, k4), -1, "sample rate"},
      {"12-bit PCM", TestWav::file({1, 1, 44100, 12}, k4), -1, "unsupported WAV encoding"},
      {"64-bit float", TestWav::file({3, 1, 44100, 64}, k4), -1, "unsupported WAV encoding"},
      {"MP3 in WAV", TestWav::file({0x55, 1, 44100, 0}, k4), -1, "unsupported WAV encoding"},
      {"ADPCM block of 3 bytes", adpcmFormat(3, {}), -1, "block size"},
      {"ADPCM blocks claim too many frames", adpcmFormat(1024, {2, 0, 0xFF, 0x0F}), -1,
       "block size"},
      {"ADPCM cut inside a block", edited(adpcm, 48 + 1024 + 104), 2041 + 201, ""},
      {"ADPCM fact leaves out padding",
       edited(adpcm, adpcm.size(), adpcm.size() - 4, "\x88\x13\0", 4), 5000, ""},
      {"PCM fact of 0 is not trusted", pcmFact, 100, ""},
      {"longer than a whole decode may be",
       TestWav::file({1, 1, 44100, 8}, Bytes(size_t(kMaxDecodedSamples) + 1)), -1, "too long"},
      {"OGG page header alone", {'O', 'g', 'g', 'S', 0, 2, 0, 0}, -1, "OGG"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SoundData d{7, 1, {0.25f}};
    std::string why;
    const bool ok = decodeSound(c.bytes.data(), c.bytes.size(), &d, &why);
    EXPECT_EQ(ok, c.frames >= 0) << why;
    if (ok) {
      EXPECT_EQ(d.frames(), c.frames);
      continue;
    }
    EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    EXPECT_EQ(d.rate, 7);
    EXPECT_EQ(d.samples, std::vector<float>{0.25f});
    // Streams take any length; everything else they refuse as well.
    EXPECT_TRUE(why.find("too long") != std::string::npos || !openStreamDecoder(c.bytes, &why));
  }
  // Every cut of a good file is refused or decodes no more than there is.
  const Bytes whole = encodeStereoAdpcm(2100).bytes;
  for (size_t n = 0; n <= whole.size(); n += 7) {
    SoundData d;
    std::string why;
    EXPECT_TRUE(!decodeSound(whole.data(), n, &d, &why) || d.frames() <= 2 * 2041);
  }
}

// oggenc (vorbis-tools) encodes a 4 s, 440 Hz tone at half scale: nothing binary is committed.
TEST(AudioDecoding, OggToneKeepsLevelAndFrequency) {
  const std::string wav = ::testing::TempDir() + "tone.wav",
                    ogg = ::testing::TempDir() + "tone.ogg";
  Bytes data;
  for (int16_t v : tone(4 * 44100, 44100.0 / 440, 16384)) TestWav::put(data, uint16_t(v), 2);
  const Bytes file = TestWav::file({}, data);
  std::ofstream(wav, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), long(file.size()));
  if (std::system(("oggenc -Q -q 4 -o '" + ogg + "' '" + wav + "'").c_str()) != 0)
    GTEST_SKIP() << "oggenc (vorbis-tools) is not installed";
  std::ifstream in(ogg, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), {}};

  SoundData d;
  std::string why;
  ASSERT_TRUE(decodeSound(bytes.data(), bytes.size(), &d, &why)) << why;
  EXPECT_EQ(d.rate, 44100);
  ASSERT_EQ(d.channels, 1);
  EXPECT_NEAR(double(d.frames()), 4 * 44100, 1024);
  double power = 0;
  int crossings = 0;
  for (size_t i = 4410; i < 39690; ++i) {  // 0.8 s, past the start
    power += double(d.samples[i]) * d.samples[i];
    crossings += (d.samples[i - 1] < 0) != (d.samples[i] < 0);
  }
  EXPECT_NEAR(std::sqrt(power / 35280), 0.5 / std::sqrt(2.0), 0.02);
  EXPECT_NEAR(crossings / 2 / 0.8, 440, 2);
  auto s = openStreamDecoder(bytes, &why);
  ASSERT_TRUE(s && s->rewind()) << why;
  EXPECT_EQ(readStream(*s, 333), d.samples);
  // Cut in the middle of its last page: the pages before the cut decode.
  const size_t lastPage = std::string(bytes.begin(), bytes.end()).rfind("OggS");
  ASSERT_TRUE(decodeSound(bytes.data(), (lastPage + bytes.size()) / 2, &d, &why)) << why;
  EXPECT_GT(d.frames(), 44100);
  EXPECT_LT(d.frames(), 4 * 44100 - 1024);
}

}  // namespace
