// SOUND: decoded whole from a file or a resource of the program, by the portable decoders,
// or made of samples the program computed.
#include <slate/graphics.h>

#include <cmath>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "errors.h"
#include "file_bytes.h"
#include "slate/audio/decoding.h"

namespace Slate {

namespace {

std::wstring widened(const std::string& text) {
  return std::wstring(text.begin(), text.end());  // the decoders' reasons are plain ASCII
}

// Decodes the bytes and only then replaces what dst held: a refused load leaves it as it was.
bool decodeInto(const wchar_t* call, const wchar_t* shownName, SOUND* dst, const uint8_t* bytes,
                size_t size) {
  auto decoded = std::make_shared<Audio::SoundData>();
  std::string reason;
  bool done = false;
  try {
    done = Audio::decodeSound(bytes, size, decoded.get(), &reason);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  if (!done) {
    return reportErrorf(call, L"%ls: %ls", shownName,
                        widened(reason.empty() ? "cannot be decoded" : reason).c_str());
  }
  dst->data = std::move(decoded);
  return true;
}

}  // namespace

bool SOUND::empty() const {
  return !data || data->frames() == 0;
}
int SOUND::rate() const {
  return empty() ? 0 : data->rate;
}
int SOUND::channels() const {
  return empty() ? 0 : data->channels;
}
double SOUND::seconds() const {
  return empty() ? 0.0 : double(data->frames()) / data->rate;
}

bool loadSoundFile(SOUND* dst, const wchar_t* path) {
  const wchar_t* const call = L"loadSoundFile";
  if (dst == nullptr) return reportError(call, L"no SOUND given");
  std::vector<uint8_t> bytes;
  if (!Audio::readFileBytes(call, path, &bytes)) return false;
  return decodeInto(call, ShownPath(path).text, dst, bytes.data(), bytes.size());
}

// A resource's bytes stay mapped with the module for its whole life; nothing is freed.
bool loadSoundResource(SOUND* dst, const wchar_t* type, const wchar_t* name) {
  const wchar_t* const call = L"loadSoundResource";
  if (dst == nullptr) return reportError(call, L"no SOUND given");
  if (type == nullptr || name == nullptr) return reportError(call, L"no type or name given");
  // A name that is not an integer identifier (MAKEINTRESOURCE) is a string to show.
  wchar_t shown[64];
  if (IS_INTRESOURCE(name)) {
    std::swprintf(shown, 64, L"resource #%u", unsigned(reinterpret_cast<ULONG_PTR>(name)));
  } else {
    std::swprintf(shown, 64, L"resource %.40ls", name);
  }
  HRSRC found = FindResourceW(nullptr, name, type);
  if (found == nullptr) return reportErrorf(call, L"%ls not found", shown);
  const DWORD size = SizeofResource(nullptr, found);
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return reportErrorf(call, L"%ls is empty", shown);
  return decodeInto(call, shown, dst, static_cast<const uint8_t*>(bytes), size);
}

// Samples a program computed: checked and copied first, so a refusal leaves dst as it was.
bool loadSoundSamples(SOUND* dst, const float* samples, int frames, int channels, int rate) {
  const wchar_t* const call = L"loadSoundSamples";
  if (dst == nullptr) return reportError(call, L"no SOUND given");
  if (samples == nullptr) return reportError(call, L"no samples given");
  if (channels != 1 && channels != 2) return reportErrorf(call, L"%d channels (1 or 2)", channels);
  if (rate < 1 || rate > Audio::kMaxRate) return reportErrorf(call, L"a rate of %d", rate);
  if (frames <= 0 || int64_t(frames) * channels > Audio::kMaxDecodedSamples) {
    return reportErrorf(call, L"%d frames", frames);
  }
  try {
    auto made = std::make_shared<Audio::SoundData>();
    made->rate = rate;
    made->channels = channels;
    made->samples.assign(samples, samples + size_t(frames) * channels);
    // What the mixer sums must be a number within full scale.
    for (float& s : made->samples)
      s = std::isfinite(s) ? std::fmax(-1.0f, std::fmin(1.0f, s)) : 0.0f;
    dst->data = std::move(made);
  } catch (const std::bad_alloc&) {
    return reportError(call, L"out of memory");
  }
  return true;
}

}  // namespace Slate
