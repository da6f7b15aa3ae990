// The game's embedded resources, as the built program carries them and as the platform
// reads them: headers and languages in SlidePuzzle.exe, the music decoded by the platform's
// audio codec, and the pictures loaded by loadImageResource. This test program links the
// same resource object as the game, so it loads the pictures from its own resources.
#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "context.h"
#include "resource_ids.h"

using namespace Slate;

namespace {

using Bytes = std::vector<std::uint8_t>;

const LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 2052
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);          // 1033

std::uint32_t u16(const Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8);
}
std::uint32_t u32(const Bytes& b, size_t at) {
  return u16(b, at) | (u16(b, at + 2) << 16);
}
std::string tag(const Bytes& b, size_t at) {
  return std::string(b.begin() + at, b.begin() + at + 4);
}

// The built game, opened as data: its resources without running it.
class GameExe {
 public:
  GameExe() {
    std::wstring path = SLIDEPUZZLE_EXE;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  ~GameExe() {
    if (module) FreeLibrary(module);
  }
  GameExe(const GameExe&) = delete;
  GameExe& operator=(const GameExe&) = delete;
  HMODULE module = nullptr;
};

Bytes resourceBytes(HMODULE module, const wchar_t* type, int id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
  if (data == nullptr) return {};
  return Bytes(data, data + SizeofResource(module, found));
}

BOOL CALLBACK addLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
  reinterpret_cast<std::vector<LANGID>*>(list)->push_back(language);
  return TRUE;
}

std::vector<LANGID> languages(HMODULE module, const wchar_t* type, int id) {
  std::vector<LANGID> list;
  EnumResourceLanguagesW(module, type, MAKEINTRESOURCEW(id), addLanguage,
                         reinterpret_cast<LONG_PTR>(&list));
  return list;
}

// --- Headers -------------------------------------------------------------------------------

void expectBmpHeader(const Bytes& f, int width, int height, std::uint32_t pixelsPerMetre) {
  const size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  ASSERT_EQ(f.size(), 54 + row * height);
  EXPECT_EQ(tag(f, 0).substr(0, 2), "BM");
  EXPECT_EQ(u32(f, 2), f.size());
  EXPECT_EQ(u32(f, 6), 0u);    // reserved
  EXPECT_EQ(u32(f, 10), 54u);  // pixel data offset
  EXPECT_EQ(u32(f, 14), 40u);  // info header size
  EXPECT_EQ(static_cast<int>(u32(f, 18)), width);
  EXPECT_EQ(static_cast<int>(u32(f, 22)), height);  // positive: bottom-up
  EXPECT_EQ(u16(f, 26), 1u);
  EXPECT_EQ(u16(f, 28), 24u);
  EXPECT_EQ(u32(f, 30), 0u);  // no compression
  EXPECT_EQ(u32(f, 38), pixelsPerMetre);
  EXPECT_EQ(u32(f, 42), pixelsPerMetre);
  EXPECT_EQ(u32(f, 46), 0u);  // no colour table
}

TEST(GameResources, PicturesAreBmpFilesInChinese) {
  GameExe exe;
  ASSERT_NE(exe.module, nullptr) << "cannot open " << SLIDEPUZZLE_EXE;
  for (int id = IDR_TITLE_PICTURE; id <= IDR_BLANK_TILE; ++id) {
    SCOPED_TRACE("IMAGE " + std::to_string(id));
    EXPECT_EQ(languages(exe.module, L"IMAGE", id), std::vector<LANGID>{kChinese});
    const Bytes file = resourceBytes(exe.module, L"IMAGE", id);
    if (id == IDR_BLANK_TILE) {
      expectBmpHeader(file, 108, 106, 3780);
    } else {
      expectBmpHeader(file, 800, 500, id == IDR_TITLE_PICTURE ? 3780 : 4724);
    }
  }
}

// The fields of a "fmt " chunk of IMA ADPCM, and where the samples are.
struct WaveLayout {
  IMAADPCMWAVEFORMAT format = {};
  size_t dataAt = 0;
  std::uint32_t dataBytes = 0;
  std::uint32_t factSamples = 0;
};

// Walks the chunks, which must come in the order "fmt ", "data", "fact" and at most a
// trailing "LIST".
WaveLayout readWave(const Bytes& f) {
  WaveLayout wave;
  EXPECT_GE(f.size(), 12u);
  if (f.size() < 12) return wave;
  EXPECT_EQ(tag(f, 0), "RIFF");
  EXPECT_EQ(u32(f, 4), f.size() - 8);
  EXPECT_EQ(tag(f, 8), "WAVE");
  std::vector<std::string> order;
  for (size_t at = 12; at + 8 <= f.size();) {
    const std::string name = tag(f, at);
    const std::uint32_t bytes = u32(f, at + 4);
    order.push_back(name);
    if (name == "fmt " && bytes >= sizeof(IMAADPCMWAVEFORMAT)) {
      std::copy(f.begin() + at + 8, f.begin() + at + 8 + sizeof(wave.format),
                reinterpret_cast<std::uint8_t*>(&wave.format));
    } else if (name == "data") {
      wave.dataAt = at + 8;
      wave.dataBytes = bytes;
    } else if (name == "fact") {
      wave.factSamples = u32(f, at + 8);
    }
    at += 8 + bytes + (bytes & 1);
  }
  if (order.size() == 4 && order[3] == "LIST") order.pop_back();
  EXPECT_EQ(order, (std::vector<std::string>{"fmt ", "data", "fact"}));
  EXPECT_LE(wave.dataAt + wave.dataBytes, f.size());
  return wave;
}

void expectAdpcmFormat(const WaveLayout& wave) {
  const WAVEFORMATEX& wfx = wave.format.wfx;
  EXPECT_EQ(wfx.wFormatTag, WAVE_FORMAT_IMA_ADPCM);
  EXPECT_EQ(wfx.nChannels, 1);
  EXPECT_EQ(wfx.nSamplesPerSec, 44100u);
  EXPECT_EQ(wfx.nAvgBytesPerSec, 22125u);
  EXPECT_EQ(wfx.nBlockAlign, 1024);
  EXPECT_EQ(wfx.wBitsPerSample, 4);
  EXPECT_EQ(wfx.cbSize, 2);
  EXPECT_EQ(wave.format.wSamplesPerBlock, 2041);
  EXPECT_EQ(wave.dataBytes % 1024, 0u);
  const std::uint32_t blocks = wave.dataBytes / 1024;
  EXPECT_GT(wave.factSamples, (blocks - 1) * 2041u);
  EXPECT_LE(wave.factSamples, blocks * 2041u);
  EXPECT_GE(wave.factSamples, 60u * 44100u) << "at least a minute of music";
}

TEST(GameResources, MusicIsImaAdpcmWaveInChinese) {
  GameExe exe;
  ASSERT_NE(exe.module, nullptr);
  for (int id = IDR_FIRST_MUSIC; id < IDR_FIRST_MUSIC + MUSIC_COUNT; ++id) {
    SCOPED_TRACE("WAVE " + std::to_string(id));
    EXPECT_EQ(languages(exe.module, L"WAVE", id), std::vector<LANGID>{kChinese});
    expectAdpcmFormat(readWave(resourceBytes(exe.module, L"WAVE", id)));
  }
}

TEST(GameResources, ManifestAsksForTheUsersOwnRightsAndNothingElse) {
  GameExe exe;
  ASSERT_NE(exe.module, nullptr);
  const wchar_t* manifest = MAKEINTRESOURCEW(24);
  EXPECT_EQ(languages(exe.module, manifest, 1), std::vector<LANGID>{kEnglish});
  const Bytes bytes = resourceBytes(exe.module, manifest, 1);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text.rfind("<?xml", 0), 0u);
  EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(text.find("uiAccess=\"false\""), std::string::npos);
  for (const char* absent : {"dependency", "dpiAware", "compatibility", "windowsSettings"}) {
    EXPECT_EQ(text.find(absent), std::string::npos) << absent;
  }
}

// --- Music through the platform's codec ----------------------------------------------------

// Decodes IMA ADPCM to 16-bit PCM with the audio compression manager, as the platform does
// when it plays a clip. Empty when no codec takes the format.
std::vector<std::int16_t> decodeWithAcm(const Bytes& file, const WaveLayout& wave) {
  WAVEFORMATEX pcm = {};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  auto* source = const_cast<WAVEFORMATEX*>(&wave.format.wfx);
  if (acmFormatSuggest(nullptr, source, &pcm, sizeof(pcm), ACM_FORMATSUGGESTF_WFORMATTAG) != 0 ||
      pcm.wBitsPerSample != 16) {
    return {};
  }
  HACMSTREAM stream = nullptr;
  if (acmStreamOpen(&stream, nullptr, source, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME)) {
    return {};
  }
  const DWORD chunk = 64 * 1024;  // whole ADPCM blocks
  DWORD outBytes = 0;
  acmStreamSize(stream, chunk, &outBytes, ACM_STREAMSIZEF_SOURCE);
  std::vector<std::uint8_t> in(chunk), out(outBytes);
  std::vector<std::int16_t> samples;
  for (DWORD done = 0; done < wave.dataBytes;) {
    const DWORD take = std::min(chunk, wave.dataBytes - done);
    std::copy_n(file.begin() + wave.dataAt + done, take, in.begin());
    ACMSTREAMHEADER header = {};
    header.cbStruct = sizeof(header);
    header.pbSrc = in.data();
    header.cbSrcLength = take;
    header.pbDst = out.data();
    header.cbDstLength = outBytes;
    acmStreamPrepareHeader(stream, &header, 0);
    DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN | (done == 0 ? ACM_STREAMCONVERTF_START : 0);
    const bool converted = acmStreamConvert(stream, &header, flags) == 0;
    acmStreamUnprepareHeader(stream, &header, 0);
    if (!converted || header.cbSrcLengthUsed == 0) break;
    const auto* pcmOut = reinterpret_cast<const std::int16_t*>(out.data());
    samples.insert(samples.end(), pcmOut, pcmOut + header.cbDstLengthUsed / 2);
    done += header.cbSrcLengthUsed;
  }
  acmStreamClose(stream, 0);
  return samples;
}

// The largest change of slope among `count` samples from `from` on, wrapping at the end.
int largestBend(const std::vector<std::int16_t>& x, size_t from, size_t count) {
  const size_t n = x.size();
  int largest = 0;
  for (size_t i = from; i < from + count; ++i) {
    const int bend = x[(i + 2) % n] - 2 * x[(i + 1) % n] + x[i % n];
    largest = std::max(largest, std::abs(bend));
  }
  return largest;
}

TEST(GameMusic, EachClipDecodesThroughThePlatformCodecToACleanLoop) {
  const HMODULE self = GetModuleHandleW(nullptr);
  for (int id = IDR_FIRST_MUSIC; id < IDR_FIRST_MUSIC + MUSIC_COUNT; ++id) {
    SCOPED_TRACE("WAVE " + std::to_string(id));
    const Bytes file = resourceBytes(self, L"WAVE", id);
    const WaveLayout wave = readWave(file);
    std::vector<std::int16_t> x = decodeWithAcm(file, wave);
    // Whole blocks come out; the samples that count end at the "fact" number.
    ASSERT_GE(x.size(), wave.factSamples) << "the codec decodes every block";
    EXPECT_LT(x.size() - wave.factSamples, 2041u);
    x.resize(wave.factSamples);

    int peak = 0;
    double sum = 0.0;
    for (std::int16_t v : x) {
      peak = std::max(peak, std::abs(static_cast<int>(v)));
      sum += v;
    }
    EXPECT_LT(peak, 32767) << "clipped";
    EXPECT_LT(std::fabs(sum / x.size()), 65.0) << "DC offset (0.2 % of full scale)";

    // Played in a loop, the last sample is followed by the first: the change of slope
    // across the seam must be no larger than the largest one within 20 ms of it.
    const size_t n = x.size(), span = 882;
    const int seam = largestBend(x, n - 2, 2);
    const int around = std::max(largestBend(x, n - 2 - span, span), largestBend(x, 0, span));
    EXPECT_LE(seam, around) << "a click at the loop seam";
    std::printf("WAVE %d: %zu samples, peak %d, mean %.2f, seam bend %d (nearby up to %d)\n", id, n,
                peak, sum / n, seam, around);
  }
}

// --- Pictures through loadImageResource ----------------------------------------------------

int channel(DWORD pixel, int c) {
  return static_cast<int>(pixel >> (8 * c) & 0xFF);
}

// Mean absolute difference per channel value between two 180 x 150 tiles of a 900 x 600
// picture, numbered row by row.
double tileDifference(const IMAGE& picture, int a, int b) {
  const int ax = a % 5 * 180, ay = a / 5 * 150, bx = b % 5 * 180, by = b / 5 * 150;
  long long total = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 180; ++x) {
      const DWORD p = picture.pixels[(ay + y) * 900 + ax + x];
      const DWORD q = picture.pixels[(by + y) * 900 + bx + x];
      for (int c = 0; c < 3; ++c) total += std::abs(channel(p, c) - channel(q, c));
    }
  }
  return static_cast<double>(total) / (180 * 150 * 3);
}

TEST(GamePictures, EveryTileOfEachGamePictureCanBeToldFromTheOthers) {
  for (int id = IDR_FIRST_GAME_PICTURE; id < IDR_BLANK_TILE; ++id) {
    IMAGE picture;
    loadImageResource(&picture, L"IMAGE", MAKEINTRESOURCEW(id), 900, 600, false);
    ASSERT_EQ(picture.width, 900) << id;
    ASSERT_EQ(picture.height, 600) << id;
    double smallest = 1e9;
    for (int a = 0; a < 20; ++a) {
      for (int b = a + 1; b < 20; ++b) smallest = std::min(smallest, tileDifference(picture, a, b));
    }
    std::printf("IMAGE %d: smallest tile difference %.2f\n", id, smallest);
    EXPECT_GE(smallest, 12.0) << "IMAGE " << id;
  }
}

// The BMP resource's pixel (x, y), counted from the top, as 0x00RRGGBB.
DWORD bmpPixel(const Bytes& f, int width, int height, int x, int y) {
  const size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  const size_t at = 54 + row * (height - 1 - y) + x * 3;
  return f[at] | f[at + 1] << 8 | f[at + 2] << 16;
}

// Loads the picture at width x height into a fresh IMAGE and compares it with a plain
// nearest-pixel scaling of the file: the mean difference per channel stays small, while a
// picture upside down, mirrored, with red and blue exchanged or not stretched would not.
void expectLoadedLikeAReferenceScaling(int id, int width, int height) {
  SCOPED_TRACE("IMAGE " + std::to_string(id));
  const Bytes file = resourceBytes(GetModuleHandleW(nullptr), L"IMAGE", id);
  ASSERT_GE(file.size(), 54u);
  const int fileWidth = static_cast<int>(u32(file, 18)),
            fileHeight = static_cast<int>(u32(file, 22));
  IMAGE picture;
  loadImageResource(&picture, L"IMAGE", MAKEINTRESOURCEW(id), width, height, false);
  ASSERT_EQ(picture.width, width);
  ASSERT_EQ(picture.height, height);
  long long total = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const DWORD want =
          bmpPixel(file, fileWidth, fileHeight, x * fileWidth / width, y * fileHeight / height);
      const DWORD got = picture.pixels[y * width + x];
      for (int c = 0; c < 3; ++c) total += std::abs(channel(got, c) - channel(want, c));
    }
  }
  const double mean = static_cast<double>(total) / (3.0 * width * height);
  std::printf("IMAGE %d at %dx%d: mean difference from the reference %.2f\n", id, width, height,
              mean);
  EXPECT_LT(mean, 4.0);
}

TEST(GamePictures, TitleAndBlankTileLoadAtTheGamesSizes) {
  expectLoadedLikeAReferenceScaling(IDR_TITLE_PICTURE, 900, 600);
  expectLoadedLikeAReferenceScaling(IDR_BLANK_TILE, 180, 150);
}

}  // namespace
