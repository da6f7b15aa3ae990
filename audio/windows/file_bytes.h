// A sound or music file read whole into memory, for the portable decoders.
#pragma once

#include <cstdint>
#include <vector>

namespace Slate::Audio {

constexpr uint64_t kMaxSoundFileBytes = uint64_t(256) << 20;

// Reads the file at path into *out. False, with the reason reported for `call` and *out
// untouched, when there is no path, no such file, a folder, an empty or over-large file.
bool readFileBytes(const wchar_t* call, const wchar_t* path, std::vector<uint8_t>* out);

}  // namespace Slate::Audio
