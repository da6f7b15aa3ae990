// Fuzz target for the IMA ADPCM encoder: any 16-bit samples are encoded and decoded again
// by an independent decoder. The result must be whole blocks with valid headers, one
// decoded sample per input sample plus padding that holds the last one, each block
// starting from its exact first sample; encoding is deterministic.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "adpcm_encoder.h"
#include "support/ima_adpcm_decoder.h"

namespace {

[[noreturn]] void fail(const char* what, size_t samples) {
  std::fprintf(stderr, "adpcm fuzz: %s (%zu samples)\n", what, samples);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace assetgen;
  std::vector<int16_t> pcm(size / 2);
  for (size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = static_cast<int16_t>(static_cast<uint16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
  const std::vector<uint8_t> enc = encode_ima_adpcm(pcm);
  const size_t per = kAdpcmSamplesPerBlock;
  const size_t blocks = (pcm.size() + per - 1) / per;
  if (enc.size() != blocks * kAdpcmBlockBytes) fail("not whole blocks", pcm.size());
  if (encode_ima_adpcm(pcm) != enc) fail("two encodings differ", pcm.size());

  bool headersOk = false;
  const std::vector<int> dec = ImaAdpcm::decode(enc.data(), enc.size(), &headersOk);
  if (!headersOk) fail("bad block header", pcm.size());
  if (dec.size() != blocks * per) fail("wrong decoded length", pcm.size());
  for (size_t b = 0; b < blocks; ++b) {
    const size_t first = b * per;
    const int want = first < pcm.size() ? pcm[first] : pcm.back();
    if (dec[first] != want) fail("a block does not start from its first sample", pcm.size());
  }
  // The padding of the last block settles onto the last sample.
  for (size_t i = pcm.size() + 200; i < dec.size(); ++i)
    if (std::abs(dec[i] - pcm.back()) > 64) fail("the padding did not settle", pcm.size());
  // A constant signal settles onto its value within a block and stays there.
  if (!pcm.empty() && std::all_of(pcm.begin(), pcm.end(), [&](int16_t v) { return v == pcm[0]; })) {
    for (size_t i = std::min<size_t>(64, dec.size()); i < dec.size(); ++i)
      if (std::abs(dec[i] - pcm[0]) > 16) fail("a constant signal did not settle", pcm.size());
  }
  return 0;
}
