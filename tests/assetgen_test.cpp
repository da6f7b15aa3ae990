// Tests of the asset generator: the files' exact formats, the properties the game relies on
// (distinct tiles, a calm menu band, loops without a click, no clipping), determinism, and
// sound handling of bad input. The generator is called in-process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "adpcm_encoder.h"
#include "assets.h"
#include "bmp_writer.h"
#include "det_math.h"
#include "support/ima_adpcm_decoder.h"
#include "music.h"
#include "noise.h"
#include "pictures.h"
#include "score.h"
#include "synth.h"
#include "title_font.h"
#include "wav_writer.h"

using namespace assetgen;

namespace {

uint32_t u16(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8);
}
uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
  return u16(b, at) | (u16(b, at + 2) << 16);
}
int32_t s32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(u32(b, at));
}

// --- BMP reading, independent of the writer. --------------------------------------------

struct Rgb {
  int width = 0, height = 0;
  std::vector<uint8_t> px;  // top-down R, G, B
  uint8_t at(int x, int y, int c) const { return px[(static_cast<size_t>(y) * width + x) * 3 + c]; }
};

// Checks every header field the game's loader depends on and returns the pixels.
Rgb read_bmp(const std::vector<uint8_t>& f, int width, int height, int32_t ppm) {
  Rgb img;
  const size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  EXPECT_EQ(f.size(), 54 + row * height);
  if (f.size() != 54 + row * height) return img;
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[1], 'M');
  EXPECT_EQ(u32(f, 2), f.size());
  EXPECT_EQ(u32(f, 6), 0u);  // both reserved words
  EXPECT_EQ(u32(f, 10), 54u);
  EXPECT_EQ(u32(f, 14), 40u);
  EXPECT_EQ(s32(f, 18), width);
  EXPECT_EQ(s32(f, 22), height);  // positive: bottom-up
  EXPECT_EQ(u16(f, 26), 1u);
  EXPECT_EQ(u16(f, 28), 24u);
  EXPECT_EQ(u32(f, 30), 0u);
  EXPECT_EQ(u32(f, 34), 0u);
  EXPECT_EQ(s32(f, 38), ppm);
  EXPECT_EQ(s32(f, 42), ppm);
  EXPECT_EQ(u32(f, 46), 0u);
  EXPECT_EQ(u32(f, 50), 0u);
  img.width = width;
  img.height = height;
  img.px.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const size_t src = 54 + row * (height - 1 - y);
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        img.px[(static_cast<size_t>(y) * width + x) * 3 + c] = f[src + x * 3 + (2 - c)];
    for (size_t p = static_cast<size_t>(width) * 3; p < row; ++p) EXPECT_EQ(f[src + p], 0);
  }
  return img;
}

// Scales bilinearly (pixel centres aligned) to the game's 900 x 600 and returns the smallest
// mean absolute difference per channel between any two of the 5 x 4 tiles of 180 x 150.
double min_tile_difference(const Rgb& img) {
  const int W = 900, H = 600, TW = 180, TH = 150;
  std::vector<double> s(static_cast<size_t>(W) * H * 3);
  for (int y = 0; y < H; ++y) {
    double sy = std::clamp((y + 0.5) * img.height / H - 0.5, 0.0, img.height - 1.0);
    int y0 = static_cast<int>(sy), y1 = std::min(y0 + 1, img.height - 1);
    double fy = sy - y0;
    for (int x = 0; x < W; ++x) {
      double sx = std::clamp((x + 0.5) * img.width / W - 0.5, 0.0, img.width - 1.0);
      int x0 = static_cast<int>(sx), x1 = std::min(x0 + 1, img.width - 1);
      double fx = sx - x0;
      for (int c = 0; c < 3; ++c) {
        double top = img.at(x0, y0, c) * (1 - fx) + img.at(x1, y0, c) * fx;
        double bottom = img.at(x0, y1, c) * (1 - fx) + img.at(x1, y1, c) * fx;
        s[(static_cast<size_t>(y) * W + x) * 3 + c] = top * (1 - fy) + bottom * fy;
      }
    }
  }
  double best = 1e9;
  for (int a = 0; a < 20; ++a) {
    for (int b = a + 1; b < 20; ++b) {
      int ax = a % 5 * TW, ay = a / 5 * TH, bx = b % 5 * TW, by = b / 5 * TH;
      double sum = 0.0;
      for (int y = 0; y < TH; ++y)
        for (int x = 0; x < TW * 3; ++x)
          sum += std::fabs(s[(static_cast<size_t>(ay + y) * W + ax) * 3 + x] -
                           s[(static_cast<size_t>(by + y) * W + bx) * 3 + x]);
      best = std::min(best, sum / (TW * TH * 3.0));
    }
  }
  return best;
}

double luma(const Rgb& img, int x, int y) {
  return 0.299 * img.at(x, y, 0) + 0.587 * img.at(x, y, 1) + 0.114 * img.at(x, y, 2);
}

struct RegionStats {
  double mean = 0.0, max = 0.0;
};

RegionStats luma_stats(const Rgb& img, int x0, int y0, int x1, int y1) {
  RegionStats r;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      double l = luma(img, x, y);
      r.mean += l;
      r.max = std::max(r.max, l);
    }
  r.mean /= static_cast<double>(x1 - x0) * (y1 - y0);
  return r;
}

// --- WAV reading and decoding. ------------------------------------------------------------

std::vector<int> decode_ima(const uint8_t* data, size_t size) {
  bool headersOk = false;
  std::vector<int> out = ImaAdpcm::decode(data, size, &headersOk);
  EXPECT_TRUE(headersOk);
  return out;
}

struct Clip {
  std::vector<int> samples;
  uint32_t fact = 0;
};

// Checks the RIFF layout exactly and decodes the samples.
Clip read_wav(const std::vector<uint8_t>& f) {
  Clip clip;
  EXPECT_GE(f.size(), 76u);
  if (f.size() < 76) return clip;
  EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "RIFF");
  EXPECT_EQ(u32(f, 4), f.size() - 8);
  EXPECT_EQ(std::string(f.begin() + 8, f.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(u32(f, 16), 20u);
  EXPECT_EQ(u16(f, 20), 0x11u);
  EXPECT_EQ(u16(f, 22), 1u);
  EXPECT_EQ(u32(f, 24), 44100u);
  EXPECT_EQ(u32(f, 28), 22125u);
  EXPECT_EQ(u16(f, 32), 1024u);
  EXPECT_EQ(u16(f, 34), 4u);
  EXPECT_EQ(u16(f, 36), 2u);
  EXPECT_EQ(u16(f, 38), 2041u);
  EXPECT_EQ(std::string(f.begin() + 40, f.begin() + 44), "data");
  const uint32_t data = u32(f, 44);
  EXPECT_EQ(data % 1024, 0u);
  EXPECT_EQ(f.size(), 48 + data + 12);
  if (f.size() != 48 + static_cast<size_t>(data) + 12) return clip;
  EXPECT_EQ(std::string(f.begin() + 48 + data, f.begin() + 52 + data), "fact");
  EXPECT_EQ(u32(f, 52 + data), 4u);
  clip.fact = u32(f, 56 + data);
  EXPECT_EQ(clip.fact, data / 1024 * 2041);
  clip.samples = decode_ima(&f[48], data);
  return clip;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(p * (v.size() - 1))];
}

// FNV-1a, for the golden checksums below.
uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 1469598103934665603ULL;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ULL;
  return h;
}

}  // namespace

// --- Pictures ------------------------------------------------------------------------------

TEST(AssetgenPictures, HeadersAndSizesAreExact) {
  Rgb title = read_bmp(generate_asset("title.bmp"), 800, 500, 3780);
  EXPECT_EQ(title.width, 800);
  for (int n = 1; n <= 5; ++n) {
    std::vector<uint8_t> f = generate_asset("picture" + std::to_string(n) + ".bmp");
    EXPECT_EQ(f.size(), 1200054u) << "picture" << n;
    read_bmp(f, 800, 500, 4724);
  }
  std::vector<uint8_t> blank = generate_asset("blank.bmp");
  EXPECT_EQ(blank.size(), 34398u);  // rows of 324 bytes: 108 * 3 is already a multiple of 4
  read_bmp(blank, 108, 106, 3780);
}

TEST(AssetgenPictures, EveryTileCanBeToldFromEveryOther) {
  for (int n = 1; n <= kPictureCount; ++n) {
    Rgb img = read_bmp(generate_asset("picture" + std::to_string(n) + ".bmp"), 800, 500, 4724);
    if (img.width == 0) continue;
    double d = min_tile_difference(img);
    RecordProperty("min_tile_difference_picture" + std::to_string(n), std::to_string(d));
    std::printf("picture%d: smallest tile difference %.2f\n", n, d);
    EXPECT_GE(d, 12.0) << "picture" << n;
  }
}

TEST(AssetgenPictures, PicturesDifferFromEachOther) {
  // Five distinct pictures: even the closest pair differs a lot pixel by pixel.
  std::vector<Image8> pics;
  for (int n = 1; n <= kPictureCount; ++n) pics.push_back(render_picture(n));
  for (int a = 0; a < kPictureCount; ++a)
    for (int b = a + 1; b < kPictureCount; ++b) {
      ASSERT_EQ(pics[a].rgb.size(), pics[b].rgb.size());
      double sum = 0.0;
      for (size_t i = 0; i < pics[a].rgb.size(); ++i)
        sum += std::abs(pics[a].rgb[i] - pics[b].rgb[i]);
      EXPECT_GT(sum / pics[a].rgb.size(), 30.0) << "pictures " << a + 1 << " and " << b + 1;
    }
}

TEST(AssetgenPictures, TitleLeavesTheMenuAreaDarkAndCalm) {
  Rgb t = read_bmp(generate_asset("title.bmp"), 800, 500, 3780);
  if (t.width == 0) return;
  // The menu band and the corners where ESC and ABOUT go: dark, with nothing bright that
  // the green, yellow and white menu text could be lost against.
  RegionStats band = luma_stats(t, 0, 380, 800, 500);
  EXPECT_LT(band.mean, 30.0);
  EXPECT_LT(band.max, 80.0);
  RegionStats left = luma_stats(t, 0, 420, 160, 500), right = luma_stats(t, 640, 420, 800, 500);
  EXPECT_LT(left.mean, 20.0);
  EXPECT_LT(right.mean, 20.0);
  // The name is in the upper part: large bright letters, much brighter than the band.
  RegionStats name = luma_stats(t, 0, 80, 800, 260);
  EXPECT_GT(name.max, 200.0);
  int bright = 0;
  for (int y = 80; y < 260; ++y)
    for (int x = 0; x < 800; ++x) bright += luma(t, x, y) > 150.0;
  EXPECT_GT(bright, 8000);  // letters cover a good share of the band, not a few sparkles
}

TEST(AssetgenPictures, BlankTileIsDarkAndQuiet) {
  Rgb b = read_bmp(generate_asset("blank.bmp"), 108, 106, 3780);
  if (b.width == 0) return;
  RegionStats all = luma_stats(b, 0, 0, 108, 106);
  EXPECT_LT(all.mean, 30.0);
  EXPECT_LT(all.max, 60.0);
  // A plain face inside the bevel.
  RegionStats face = luma_stats(b, 12, 12, 96, 94);
  EXPECT_LT(face.max - face.mean, 2.0);
}

// --- Music ---------------------------------------------------------------------------------

TEST(AssetgenMusic, ClipsAreCompleteLoopableAndUnclipped) {
  for (int n = 1; n <= kPieceCount; ++n) {
    SCOPED_TRACE("music" + std::to_string(n));
    Clip clip = read_wav(generate_asset("music" + std::to_string(n) + ".wav"));
    const std::vector<int>& x = clip.samples;
    ASSERT_EQ(x.size(), clip.fact);
    double seconds = x.size() / 44100.0;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 90.0);

    int peak = 0;
    double mean = 0.0, energy = 0.0;
    for (int v : x) {
      peak = std::max(peak, std::abs(v));
      mean += v;
      energy += static_cast<double>(v) * v;
    }
    mean /= x.size();
    double rms = std::sqrt(energy / x.size());
    EXPECT_LT(peak, 32767);  // no clipping
    EXPECT_GT(peak, 16000);  // but properly levelled
    EXPECT_LT(std::fabs(mean), 30.0);
    EXPECT_GT(rms, 2000.0);  // music all the way, not mostly silence

    // Never silent for long: every second has sound in it.
    for (size_t s = 0; s + 44100 <= x.size(); s += 44100) {
      double e = 0.0;
      for (size_t i = s; i < s + 44100; ++i) e += static_cast<double>(x[i]) * x[i];
      EXPECT_GT(std::sqrt(e / 44100), 300.0) << "second " << s / 44100;
    }

    // The seam from the last sample back to the first must look like any other step, and
    // so must the change of slope across it.
    std::vector<double> steps, bends;
    for (size_t i = 1; i < x.size(); ++i) steps.push_back(std::abs(x[i] - x[i - 1]));
    for (size_t i = 2; i < x.size(); ++i) bends.push_back(std::abs(x[i] - 2 * x[i - 1] + x[i - 2]));
    const size_t L = x.size();
    double jump = std::abs(x[0] - x[L - 1]);
    double bend = std::abs(x[0] - 2 * x[L - 1] + x[L - 2]);
    double bend_after = std::abs(x[1] - 2 * x[0] + x[L - 1]);
    EXPECT_LE(jump, percentile(steps, 0.99));
    EXPECT_LE(bend, percentile(bends, 0.99));
    EXPECT_LE(bend_after, percentile(bends, 0.99));
    // Loudness carries across the seam: the last and first 50 ms match in level.
    auto level = [&](size_t from) {
      double e = 0.0;
      for (size_t i = from; i < from + 2205; ++i) e += static_cast<double>(x[i]) * x[i];
      return std::sqrt(e / 2205);
    };
    double end = level(L - 2205), start = level(0);
    EXPECT_LT(std::max(end, start) / std::max(1.0, std::min(end, start)), 3.0);
    std::printf("music%d: %.2f s, peak %d (%.2f dBFS), rms %.0f, mean %.2f, seam step %.0f\n", n,
                seconds, peak, 20.0 * std::log10(peak / 32768.0), rms, mean, jump);
  }
}

TEST(AssetgenMusic, AdpcmRoundTripIsFaithfulAcrossBlocks) {
  // A rising chirp through several blocks, ending in a partial block.
  std::vector<int16_t> pcm(3 * 2041 + 500);
  double phase = 0.0;
  for (size_t i = 0; i < pcm.size(); ++i) {
    phase += (200.0 + i * 0.3) / 44100.0;
    pcm[i] = static_cast<int16_t>(std::floor(12000.0 * std::sin(6.283185307179586 * phase) + 0.5));
  }
  std::vector<uint8_t> enc = encode_ima_adpcm(pcm);
  ASSERT_EQ(enc.size(), 4u * 1024u);
  std::vector<int> dec = decode_ima(enc.data(), enc.size());
  ASSERT_EQ(dec.size(), 4u * 2041u);
  double err = 0.0, sig = 0.0;
  for (size_t i = 0; i < pcm.size(); ++i) {
    err += (dec[i] - pcm[i]) * static_cast<double>(dec[i] - pcm[i]);
    sig += static_cast<double>(pcm[i]) * pcm[i];
  }
  EXPECT_GT(10.0 * std::log10(sig / err), 25.0);  // signal-to-noise in dB
  // Each block starts from its exact first sample; the step size carries over, so the
  // first samples of a new block are as good as any.
  for (int b = 0; b < 4; ++b) {
    size_t first = b * 2041u;
    if (first < pcm.size()) {
      EXPECT_EQ(dec[first], pcm[first]);
    }
    if (b > 0) {
      EXPECT_LT(std::abs(dec[first + 1] - pcm[first + 1]), 1500);
    }
  }
  // The padding holds the last sample, settling quickly without a click.
  for (size_t i = pcm.size() + 50; i < dec.size(); ++i)
    EXPECT_LT(std::abs(dec[i] - pcm.back()), 200);
}

TEST(AssetgenMusic, ScoresParseCleanly) {
  for (int n = 1; n <= kPieceCount; ++n) {
    Score s = make_piece(n);
    EXPECT_EQ(s.errors, 0) << "piece " << n;
    EXPECT_GT(s.notes.size(), 200u) << "piece " << n;
    int instruments = 0;
    for (int i = 0; i <= static_cast<int>(Instrument::kHat); ++i)
      instruments += std::any_of(s.notes.begin(), s.notes.end(), [&](const Note& note) {
        return static_cast<int>(note.instrument) == i;
      });
    EXPECT_GE(instruments, 3) << "piece " << n << " needs melody, harmony and bass";
    for (const Note& note : s.notes) {
      EXPECT_GE(note.beat, 0.0);
      EXPECT_LT(note.beat, s.length_beats);
    }
  }
}

TEST(AssetgenMusic, NotationAndChords) {
  EXPECT_EQ(parse_key("C4"), 60);
  EXPECT_EQ(parse_key("A4"), 69);
  EXPECT_EQ(parse_key("Bb3"), 58);
  EXPECT_EQ(parse_key("B#3"), 60);
  EXPECT_EQ(parse_key("Cb4"), 59);
  for (const char* bad : {"", "H4", "C", "C#", "C9", "c4", "C44", "C-1"})
    EXPECT_EQ(parse_key(bad), -1) << bad;

  Score s;
  double end = add_line(&s, Instrument::kFlute, 2.0, 0.5, "C4:q D4:e. |E4 [C4 E4 G4]:h r:1.5 F4");
  EXPECT_EQ(s.errors, 0);
  EXPECT_DOUBLE_EQ(end, 2.0 + 1 + 0.75 + 0.75 + 2 + 1.5 + 1.5);
  ASSERT_EQ(s.notes.size(), 7u);
  EXPECT_DOUBLE_EQ(s.notes[3].beat, 4.5);  // the chord's notes start together
  EXPECT_DOUBLE_EQ(s.notes[5].beat, 4.5);
  EXPECT_DOUBLE_EQ(s.notes[6].beat, 8.0);

  Score junk;
  add_line(&junk, Instrument::kFlute, 0.0, 0.5, "X9 C4:zz :q [C4 E4 ] ] [D4 C4:0 C4:-1 C4:1e9");
  EXPECT_GT(junk.errors, 4);
  for (const Note& n : junk.notes) EXPECT_GT(n.length, 0.0);

  Chord am = parse_chord("Am", 57);
  ASSERT_TRUE(am.valid);
  EXPECT_EQ(am.keys, (std::vector<int>{57, 60, 64}));
  Chord d = parse_chord("D/F#", 60);
  ASSERT_TRUE(d.valid);
  EXPECT_EQ(d.keys, (std::vector<int>{62, 66, 69}));
  EXPECT_EQ(d.bass % 12, 6);
  EXPECT_EQ(parse_chord("G7", 55).keys, (std::vector<int>{55, 59, 62, 65}));
  for (const char* bad : {"", "H", "Cq", "C/", "C/X", "m"})
    EXPECT_FALSE(parse_chord(bad, 60).valid) << bad;

  int errors = 0;
  std::vector<ChordSpan> prog = parse_progression("C:2 Zz G7:1|Am", 3.0, 60, &errors);
  EXPECT_EQ(errors, 1);
  ASSERT_EQ(prog.size(), 3u);
  EXPECT_DOUBLE_EQ(prog[1].beat, 5.0);  // the unreadable chord still took its time
  EXPECT_DOUBLE_EQ(prog[2].beat, 6.0);
}

// --- Determinism and robustness ---------------------------------------------------------

TEST(AssetgenDeterminism, SameBytesEveryRun) {
  EXPECT_EQ(generate_asset("picture4.bmp"), generate_asset("picture4.bmp"));
  Score s = make_piece(2);
  s.length_beats = 8.0;  // a short section is enough
  std::vector<Note> first;
  for (const Note& n : s.notes)
    if (n.beat < 8.0) first.push_back(n);
  s.notes = first;
  std::vector<int16_t> a = render_score(s), b = render_score(s);
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_EQ(encode_adpcm_wav(a), encode_adpcm_wav(b));
}

// Checksums of every generated file. They pin the output across compilers and C runtimes
// (this test also runs under Wine on the Windows build); when a picture or piece is changed
// on purpose, update the value printed on failure.
TEST(AssetgenDeterminism, MatchesGoldenChecksums) {
  struct Golden {
    const char* name;
    uint64_t hash;
  };
  const Golden golden[] = {
      {"title.bmp", 0x787e1edffe216cd1ULL},    {"picture1.bmp", 0x337199ae04633069ULL},
      {"picture2.bmp", 0xf25aa06c98639aafULL}, {"picture3.bmp", 0x97edbc7496275dd5ULL},
      {"picture4.bmp", 0xefcf375e0a029736ULL}, {"picture5.bmp", 0xc37ce0f55d2a070fULL},
      {"blank.bmp", 0xde8c0ec8cf2e498bULL},    {"music1.wav", 0x64d543705de50d6bULL},
      {"music2.wav", 0x4db369decf7e50ffULL},   {"music3.wav", 0x3bb455ab8cfb61a0ULL},
      {"music4.wav", 0xf1a95ddb03b32f7fULL},   {"music5.wav", 0x6b08e6a68b8b5744ULL},
      {"icon.ico", 0xfbaf14fe9c5cb048ULL},
  };
  ASSERT_EQ(asset_list().size(), sizeof(golden) / sizeof(golden[0]));
  for (size_t i = 0; i < asset_list().size(); ++i) {
    EXPECT_STREQ(asset_list()[i].file_name, golden[i].name);
    EXPECT_EQ(asset_list()[i].resource_id, 101 + static_cast<int>(i));
    uint64_t h = fnv1a(generate_asset(golden[i].name));
    EXPECT_EQ(h, golden[i].hash) << golden[i].name << " now hashes to 0x" << std::hex << h << "ULL";
  }
}

TEST(AssetgenRobustness, BadInputGivesEmptyOrSafeResults) {
  EXPECT_TRUE(generate_asset("").empty());
  EXPECT_TRUE(generate_asset("picture0.bmp").empty());
  EXPECT_TRUE(generate_asset("picture6.bmp").empty());
  EXPECT_TRUE(generate_asset("music9.wav").empty());
  EXPECT_TRUE(generate_asset("picture1.bmpx").empty());
  EXPECT_TRUE(generate_asset("../title.bmp").empty());
  EXPECT_EQ(render_picture(0).rgb.size(), 0u);
  EXPECT_TRUE(render_music(-1).empty());

  Image8 bad;
  bad.width = 10;
  bad.height = 10;
  bad.rgb.resize(10);  // too short for its size
  EXPECT_TRUE(encode_bmp(bad, kBmp96Dpi).empty());
  bad.width = -5;
  EXPECT_TRUE(encode_bmp(bad, kBmp96Dpi).empty());

  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  // Painting with coordinates that are NaN, infinite or far outside is ignored.
  Canvas canvas(16, 16);
  canvas.disc(nan, 4.0, 3.0, hex(0xffffff), 1.0);
  canvas.disc(1e300, -1e300, 1e300, hex(0xffffff), 1.0);
  canvas.glow(inf, inf, 5.0, hex(0xffffff));
  canvas.line(0.0, 0.0, inf, nan, 2.0, hex(0xffffff), 1.0);
  canvas.set(-1, 99, hex(0xffffff));
  canvas.blend(3, 3, hsv(nan, nan, nan), 1.0);  // NaN colours round to black
  Image8 painted = canvas.to_8bit();
  ASSERT_EQ(painted.rgb.size(), 16u * 16u * 3u);
  EXPECT_EQ(Canvas(-4, 7).to_8bit().rgb.size(), 0u);

  // Scores with nonsense in them render without crashing, and stay finite and in range.
  EXPECT_TRUE(render_score(Score{}).empty());
  Score zero;
  zero.tempo = 0.0;
  zero.length_beats = 4.0;
  EXPECT_TRUE(render_score(zero).empty());
  Score huge;
  huge.tempo = 1e-6;
  huge.length_beats = 4.0;
  EXPECT_TRUE(render_score(huge).empty());
  Score odd;
  odd.tempo = 120.0;
  odd.length_beats = 2.0;
  odd.notes = {{nan, 1.0, 60, 1.0, Instrument::kPluck},   {0.0, nan, 60, 1.0, Instrument::kEPiano},
               {0.0, 1.0, -7, 1.0, Instrument::kFlute},   {0.0, 1.0, 500, 1.0, Instrument::kBass},
               {0.5, inf, 60, 1.0, Instrument::kPad},     {-3.0, 1.0, 60, 1.0, Instrument::kBell},
               {1.0, 100.0, 40, 1.0, Instrument::kPluck}, {1.5, 1.0, 60, nan, Instrument::kKick},
               {1.9, 0.1, 127, 1.0, Instrument::kHat},    {0.0, 0.5, 20, 1.0, Instrument::kPluck}};
  std::vector<int16_t> out = render_score(odd);
  EXPECT_EQ(out.size() % 2041, 0u);
  EXPECT_FALSE(out.empty());

  // The deterministic functions behave at the edges too.
  EXPECT_EQ(det_sin(nan), 0.0);
  EXPECT_EQ(det_exp(-inf), 0.0);
  EXPECT_TRUE(std::isfinite(det_exp(inf)));
  EXPECT_LT(det_log(0.0), -1e299);
  EXPECT_EQ(det_pow(-2.0, 0.5), 0.0);
  EXPECT_EQ(det_atan2(0.0, 0.0), 0.0);
}

TEST(AssetgenMath, DeterministicFunctionsAreAccurate) {
  // They replace the C library's, so they must agree with it closely wherever used.
  for (double x = -50.0; x <= 50.0; x += 0.0137) {
    EXPECT_NEAR(det_sin(x), std::sin(x), 1e-9) << x;
    EXPECT_NEAR(det_cos(x), std::cos(x), 1e-9) << x;
  }
  for (double x = -30.0; x <= 30.0; x += 0.0173)
    EXPECT_NEAR(det_exp(x) / std::exp(x), 1.0, 1e-12) << x;
  for (double x = 1e-6; x <= 1e6; x *= 1.037) {
    EXPECT_NEAR(det_log(x), std::log(x), 1e-12) << x;
    EXPECT_NEAR(det_pow(x, 0.37) / std::pow(x, 0.37), 1.0, 1e-12) << x;
  }
  for (double a = -3.1; a <= 3.1; a += 0.0093) {
    double y = std::sin(a) * 2.5, x = std::cos(a) * 2.5;
    EXPECT_NEAR(det_atan2(y, x), std::atan2(y, x), 1e-12) << a;
  }
}

// --- Building blocks ------------------------------------------------------------------------

namespace {

// Fundamental frequency of x[from, to) by normalised autocorrelation, searching periods
// between min_hz and max_hz, refined by a parabola through the best lag.
double estimate_pitch(const std::vector<double>& x, size_t from, size_t to, double min_hz,
                      double max_hz) {
  const int lo = static_cast<int>(44100.0 / max_hz), hi = static_cast<int>(44100.0 / min_hz);
  std::vector<double> r(static_cast<size_t>(hi) + 2, 0.0);
  for (int lag = lo - 1; lag <= hi + 1; ++lag) {
    double num = 0.0, e0 = 0.0, e1 = 0.0;
    for (size_t i = from; i + lag < to; ++i) {
      num += x[i] * x[i + lag];
      e0 += x[i] * x[i];
      e1 += x[i + lag] * x[i + lag];
    }
    r[static_cast<size_t>(lag)] = num / std::sqrt(e0 * e1 + 1e-30);
  }
  // The first lag that comes close to the highest peak: avoids octave errors.
  double top = *std::max_element(r.begin() + lo, r.begin() + hi + 1);
  int best = lo;
  for (int lag = lo; lag <= hi; ++lag) {
    if (r[lag] >= 0.9 * top && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
      best = lag;
      break;
    }
  }
  double a = r[best - 1], b = r[best], c = r[best + 1];
  double shift = (a - 2 * b + c) != 0.0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0.0;
  return 44100.0 / (best + shift);
}

std::vector<double> render_alone(Instrument inst, int key, double seconds, size_t buffer) {
  std::vector<double> loop(buffer, 0.0);
  Note note{0.0, seconds, key, 0.8, inst};
  render_note(note, 44100.0, 0, 7u, &loop);
  return loop;
}

double rms_of(const std::vector<double>& x, size_t from, size_t to) {
  double e = 0.0;
  for (size_t i = from; i < to; ++i) e += x[i] * x[i];
  return std::sqrt(e / (to - from));
}

}  // namespace

TEST(AssetgenSynth, InstrumentsPlayInTune) {
  // The plucked string's delay line needs fractional tuning; check it low, middle and high.
  struct Case {
    Instrument inst;
    int key;
  };
  const Case cases[] = {{Instrument::kEPiano, 69}, {Instrument::kPluck, 40},
                        {Instrument::kPluck, 69},  {Instrument::kPluck, 88},
                        {Instrument::kBass, 45},   {Instrument::kFlute, 74},
                        {Instrument::kPad, 57}};
  for (const Case& c : cases) {
    std::vector<double> x = render_alone(c.inst, c.key, 1.0, 2 * 44100);
    double want = key_frequency(c.key);
    double got = estimate_pitch(x, 8820, 30870, want / 1.6, want * 1.6);
    EXPECT_NEAR(got / want, 1.0, 0.004) << "instrument " << static_cast<int>(c.inst) << " key "
                                        << c.key << ": " << got << " Hz, want " << want;
  }
  EXPECT_NEAR(key_frequency(69), 440.0, 1e-9);
  EXPECT_NEAR(key_frequency(60), 261.6255653, 1e-6);
}

TEST(AssetgenSynth, NotesFadeAfterReleaseAndWrapAroundTheLoop) {
  for (int i = 0; i <= static_cast<int>(Instrument::kHat); ++i) {
    Instrument inst = static_cast<Instrument>(i);
    SCOPED_TRACE("instrument " + std::to_string(i));
    // Held half a second inside a five-second loop: sounding while held, silent well after.
    std::vector<double> x = render_alone(inst, 60, 0.5, 5 * 44100);
    double held = rms_of(x, 0, 4410);
    EXPECT_GT(held, 1e-3);
    EXPECT_LT(rms_of(x, 4 * 44100, 5 * 44100), held * 1e-3);
    for (double v : x) ASSERT_TRUE(std::isfinite(v));
    for (double v : x) ASSERT_LT(std::fabs(v), 2.0);  // no instrument runs away
  }
  // A note starting just before the end of the loop continues at its start.
  const size_t L = 3 * 44100;
  std::vector<double> loop(L, 0.0);
  render_note({0.0, 0.5, 60, 0.8, Instrument::kEPiano}, 44100.0, L - 1000, 1u, &loop);
  EXPECT_GT(rms_of(loop, 0, 2000), 0.01);
  EXPECT_GT(rms_of(loop, L - 1000, L), 0.01);
  EXPECT_LT(rms_of(loop, 66150, 110250), 1e-9);  // 1.5 to 2.5 s after the onset
  // Even a note longer than the whole loop never piles onto itself.
  std::vector<double> tiny(1000, 0.0);
  render_note({0.0, 100.0, 60, 0.8, Instrument::kPad}, 44100.0, 0, 1u, &tiny);
  for (double v : tiny) EXPECT_LT(std::fabs(v), 1.0);
}

TEST(AssetgenSynth, ReverbTailDecaysAndStaysStable) {
  Reverb reverb;
  std::vector<double> out(6 * 44100);
  for (size_t i = 0; i < out.size(); ++i) out[i] = reverb.process(i == 0 ? 1.0 : 0.0);
  double early = rms_of(out, 0, 22050), late = rms_of(out, 5 * 44100, 6 * 44100);
  EXPECT_GT(early, 1e-4);         // it does answer
  EXPECT_LT(late, early * 1e-3);  // and dies away within seconds
  // Steady loud input does not grow without bound.
  Reverb loud;
  double peak = 0.0;
  for (int i = 0; i < 10 * 44100; ++i)
    peak = std::max(peak, std::fabs(loud.process(i % 100 < 50 ? 1.0 : -1.0)));
  EXPECT_LT(peak, 10.0);
}

TEST(AssetgenSynth, ScoreFillsWholeBlocksAtNearlyItsTempo) {
  Score s;
  s.tempo = 100.0;
  s.length_beats = 40.0;  // 24 s
  add_line(&s, Instrument::kBass, 0.0, 0.7, "C2:4 G2:4 C2:4 G2:4 C2:4 G2:4 C2:4 G2:4 C2:4 G2:4");
  std::vector<int16_t> pcm = render_score(s);
  ASSERT_FALSE(pcm.empty());
  EXPECT_EQ(pcm.size() % 2041, 0u);
  EXPECT_GE(pcm.size(), 24u * 44100u);
  EXPECT_LT(pcm.size(), 24u * 44100u + 2041u);
  int peak = 0;
  for (int16_t v : pcm) peak = std::max(peak, std::abs(static_cast<int>(v)));
  EXPECT_NEAR(peak, kPeakLevel * 32767, 1.0);
}

TEST(AssetgenFormats, BmpWriterLaysOutRowsBottomUpWithPadding) {
  Image8 img;
  img.width = 3;
  img.height = 2;
  // Top row red, green, blue; bottom row three greys.
  img.rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 10, 10, 20, 20, 20, 30, 30, 30};
  std::vector<uint8_t> f = encode_bmp(img, 1234);
  ASSERT_EQ(f.size(), 54u + 2 * 12u);  // 9 bytes of pixels padded to 12 per row
  EXPECT_EQ(s32(f, 38), 1234);
  const std::vector<uint8_t> rows(f.begin() + 54, f.end());
  const std::vector<uint8_t> want = {10, 10, 10,  20, 20,  20, 30,  30, 30, 0, 0, 0,
                                     0,  0,  255, 0,  255, 0,  255, 0,  0,  0, 0, 0};
  EXPECT_EQ(rows, want);
}

TEST(AssetgenFormats, WavOfNothingIsStillWellFormed) {
  std::vector<uint8_t> f = encode_adpcm_wav({});
  ASSERT_EQ(f.size(), 60u);
  EXPECT_EQ(u32(f, 4), f.size() - 8);
  EXPECT_EQ(u32(f, 44), 0u);  // no data
  EXPECT_EQ(u32(f, 56), 0u);  // no samples
  // One sample makes one whole block.
  std::vector<uint8_t> one = encode_adpcm_wav({1234});
  Clip clip = read_wav(one);
  ASSERT_EQ(clip.samples.size(), 2041u);
  EXPECT_EQ(clip.samples[0], 1234);
  EXPECT_EQ(clip.samples[2040], 1234);
}

TEST(AssetgenNoise, RandomnessIsPinnedAndInRange) {
  // The PRNG's stream is part of the output: pin its first values.
  Rng rng(42u);
  uint32_t first[3] = {rng.next_u32(), rng.next_u32(), rng.next_u32()};
  Rng again(42u);
  for (uint32_t v : first) EXPECT_EQ(again.next_u32(), v);
  Rng other(43u);
  EXPECT_NE(other.next_u32(), first[0]);
  for (int i = 0; i < 10000; ++i) {
    int b = rng.below(7);
    EXPECT_GE(b, 0);
    EXPECT_LT(b, 7);
    double u = rng.uniform();
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
  }
  EXPECT_EQ(rng.below(0), 0);
  EXPECT_EQ(rng.below(-3), 0);

  double lo = 0.0, hi = 0.0;
  for (int j = 0; j < 200; ++j)
    for (int i = 0; i < 200; ++i) {
      double n = gradient_noise(i * 0.173 - 17.0, j * 0.219 + 5.0, 9u);
      lo = std::min(lo, n);
      hi = std::max(hi, n);
      double f = fbm(i * 0.05, j * 0.05, 5, 3u), r = ridged_fbm(i * 0.05, j * 0.05, 5, 3u);
      EXPECT_LE(std::fabs(f), 1.0);
      EXPECT_GE(r, 0.0);
      EXPECT_LE(r, 1.0);
    }
  EXPECT_LT(lo, -0.5);  // it really varies
  EXPECT_GT(hi, 0.5);
  EXPECT_GE(lo, -1.0);
  EXPECT_LE(hi, 1.0);
  EXPECT_EQ(gradient_noise(3.0, -4.0, 1u), 0.0);  // zero on the lattice
  Cells c = cellular(2.5, 7.25, 4u);
  EXPECT_LE(c.f1, c.f2);
  EXPECT_LT(c.f1, 1.5);
}

TEST(AssetgenFont, TitleLaysOutEveryLetter) {
  GlyphLayout name = layout_text("SlidePuzzle");
  GlyphLayout spaced = layout_text("S?lidePuzzle");  // '?' is not in the font
  EXPECT_GT(name.segments.size(), 50u);
  EXPECT_EQ(spaced.segments.size(), name.segments.size());
  EXPECT_GT(spaced.width, name.width);  // the unknown character still took room
  // Every letter inks something near its own place along the line.
  double x = 0.0;
  for (char ch : std::string("SlidePuzzle")) {
    GlyphLayout one = layout_text(std::string(1, ch));
    ASSERT_FALSE(one.segments.empty()) << ch;
    double d = distance_to_strokes(name.segments, x + one.segments[0].x0, one.segments[0].y0,
                                   nullptr, nullptr);
    EXPECT_LT(d, 1e-9) << ch;
    x += one.width + 2.3;
  }
  EXPECT_TRUE(layout_text("").segments.empty());
  double nx = 0.0, ny = 0.0;
  std::vector<Segment> bar = {{0.0, 0.0, 10.0, 0.0}};
  EXPECT_NEAR(distance_to_strokes(bar, 5.0, 3.0, &nx, &ny), 3.0, 1e-12);
  EXPECT_NEAR(nx, 5.0, 1e-12);
  EXPECT_NEAR(distance_to_strokes(bar, -4.0, 3.0, nullptr, nullptr), 5.0, 1e-12);
}
