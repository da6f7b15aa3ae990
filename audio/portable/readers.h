// The decoders behind decodeSound and openStreamDecoder, over bytes they do not own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "slate/audio/decoding.h"

namespace Slate::Audio {

// A stream over borrowed bytes, which must outlive it, that also says how long it is.
class Reader : public StreamDecoder {
 public:
  // Frames the whole stream holds, or -1 when only reading to the end can tell.
  virtual int64_t frameCount() const = 0;
};

// Each checks the header at once and returns null with *reason when it is bad.
std::unique_ptr<Reader> openWavReader(const uint8_t* bytes, size_t size, std::string* reason);
std::unique_ptr<Reader> openOggReader(const uint8_t* bytes, size_t size, std::string* reason);

}  // namespace Slate::Audio
