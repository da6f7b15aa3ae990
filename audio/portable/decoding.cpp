// Telling WAV from OGG, decoding a whole sound, and the streams that own their bytes.
#include <algorithm>
#include <cstring>

#include "readers.h"
#include "slate/audio/decoding.h"

namespace Slate::Audio {
namespace {

bool startsWith(const uint8_t* bytes, size_t size, const char* tag) {
  return size >= 4 && std::memcmp(bytes, tag, 4) == 0;
}

std::unique_ptr<Reader> openReader(const uint8_t* bytes, size_t size, std::string* reason) {
  if (bytes && startsWith(bytes, size, "RIFF")) return openWavReader(bytes, size, reason);
  if (bytes && startsWith(bytes, size, "OggS")) return openOggReader(bytes, size, reason);
  if (reason) *reason = size ? "not a WAV or OGG file" : "empty file";
  return nullptr;
}

// A stream that keeps the file's bytes for its reader, which borrows them.
class OwningStream final : public StreamDecoder {
 public:
  explicit OwningStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool open(std::string* reason) {
    reader_ = openReader(bytes_.data(), bytes_.size(), reason);
    return reader_ != nullptr;
  }
  int rate() const override { return reader_->rate(); }
  int channels() const override { return reader_->channels(); }
  int read(float* out, int frames) override { return reader_->read(out, frames); }
  bool rewind() override { return reader_->rewind(); }

 private:
  std::vector<uint8_t> bytes_;  // declared first: the reader goes before the bytes
  std::unique_ptr<Reader> reader_;
};

}  // namespace

bool decodeSound(const uint8_t* bytes, size_t size, SoundData* out, std::string* reason) {
  if (!out) {
    if (reason) *reason = "no sound to decode into";
    return false;
  }
  std::unique_ptr<Reader> reader = openReader(bytes, size, reason);
  if (!reader) return false;
  const int ch = reader->channels();
  const int64_t known = reader->frameCount();
  if (known > kMaxDecodedSamples / ch) {
    if (reason) *reason = "sound too long to decode whole (play it as music)";
    return false;
  }
  SoundData data;
  data.rate = reader->rate();
  data.channels = ch;
  if (known >= 0) data.samples.reserve(size_t(known) * ch);
  constexpr int kChunk = 4096;
  // Streams of unknown length are read until the end or one chunk past the limit.
  while (int64_t(data.samples.size()) <= kMaxDecodedSamples) {
    const size_t at = data.samples.size();
    data.samples.resize(at + size_t(kChunk) * ch);
    const int n = reader->read(data.samples.data() + at, kChunk);
    data.samples.resize(at + size_t(std::max(n, 0)) * ch);
    if (n <= 0) break;
  }
  if (int64_t(data.samples.size()) > kMaxDecodedSamples) {
    if (reason) *reason = "sound too long to decode whole (play it as music)";
    return false;
  }
  if (data.samples.empty()) {
    if (reason) *reason = "file holds no samples";
    return false;
  }
  data.samples.shrink_to_fit();
  *out = std::move(data);
  return true;
}

std::unique_ptr<StreamDecoder> openStreamDecoder(std::vector<uint8_t> bytes, std::string* reason) {
  auto stream = std::make_unique<OwningStream>(std::move(bytes));
  if (!stream->open(reason)) return nullptr;
  return stream;
}

}  // namespace Slate::Audio
