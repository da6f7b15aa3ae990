// SOUND: decoded whole from a file or a resource of the program, by the portable decoders.
#include <slate/graphics.h>

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

}  // namespace Slate
