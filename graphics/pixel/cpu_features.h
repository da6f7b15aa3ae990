// What the processor and the operating system let the kernel use, found once at run time.
#pragma once

namespace Slate::Pixel::Detail {

struct CpuFeatures {
  bool sse2 = false;
  bool avx2 = false;    // AVX2 and the OS saves the ymm registers
  bool avx512 = false;  // AVX-512 F, VL, DQ, BW and the OS saves zmm and mask registers
};

const CpuFeatures& cpuFeatures();

}  // namespace Slate::Pixel::Detail
