// OGG Vorbis through stb_vorbis, which decodes from memory a packet at a time.
#include <algorithm>
#include <climits>
#include <cmath>

#include "readers.h"
#include "slate/audio/sound_data.h"

#ifndef SLATE_AUDIO_NO_OGG
#define STB_VORBIS_HEADER_ONLY
#include "stb_vorbis.h"
#endif

namespace Slate::Audio {

#ifdef SLATE_AUDIO_NO_OGG
std::unique_ptr<Reader> openOggReader(const uint8_t*, size_t, std::string* reason) {
  if (reason) *reason = "OGG Vorbis is not built into this library (no stb_vorbis)";
  return nullptr;
}
#else
namespace {

class OggReader final : public Reader {
 public:
  OggReader(stb_vorbis* v, int rate, int channels) : v_(v), rate_(rate), channels_(channels) {}
  ~OggReader() override { stb_vorbis_close(v_); }
  OggReader(const OggReader&) = delete;
  OggReader& operator=(const OggReader&) = delete;

  int rate() const override { return rate_; }
  int channels() const override { return channels_; }
  // The length comes from the last page's granule position, which a cut or damaged file
  // may not have; reading to the end is the only sure count.
  int64_t frameCount() const override { return -1; }

  int read(float* out, int frames) override {
    if (!out || frames <= 0 || failed_) return 0;
    const int most = std::min(frames, INT_MAX / channels_);
    const int n = stb_vorbis_get_samples_float_interleaved(v_, channels_, out, most * channels_);
    if (n <= 0) return 0;
    // The decoder's output may overshoot full scale slightly; a damaged packet, more.
    for (int i = 0; i < n * channels_; ++i)
      out[i] = std::isnan(out[i]) ? 0.0f : std::clamp(out[i], -1.0f, 1.0f);
    return n;
  }

  bool rewind() override {
    if (stb_vorbis_seek_start(v_)) return true;
    failed_ = true;
    return false;
  }

 private:
  stb_vorbis* v_;
  int rate_, channels_;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<Reader> openOggReader(const uint8_t* bytes, size_t size, std::string* reason) {
  auto fail = [&](const char* why) {
    if (reason) *reason = why;
    return nullptr;
  };
  if (!bytes || size < 4) return fail("not an OGG file");
  if (size > size_t(INT_MAX)) return fail("OGG file too large");
  int error = 0;
  // Opening reads the three header packets: a file cut inside them is refused here.
  stb_vorbis* v = stb_vorbis_open_memory(bytes, int(size), &error, nullptr);
  if (!v) return fail("bad or truncated OGG Vorbis file");
  const stb_vorbis_info info = stb_vorbis_get_info(v);
  if (info.channels < 1 || info.channels > 2) {
    stb_vorbis_close(v);
    return fail("unsupported OGG channel count");
  }
  if (info.sample_rate < 1 || info.sample_rate > unsigned(kMaxRate)) {
    stb_vorbis_close(v);
    return fail("unsupported OGG sample rate");
  }
  return std::make_unique<OggReader>(v, int(info.sample_rate), info.channels);
}
#endif

}  // namespace Slate::Audio
