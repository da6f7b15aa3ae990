#include "cpu_features.h"

#include <cstdint>

#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <intrin.h>
#define SLATE_X86 1
#elif (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define SLATE_X86 1
#endif

namespace Slate::Pixel::Detail {

#ifdef SLATE_X86
namespace {

void cpuid(unsigned leaf, unsigned sub, unsigned regs[4]) {
#ifdef _MSC_VER
  int r[4];
  __cpuidex(r, int(leaf), int(sub));
  for (int k = 0; k < 4; ++k) regs[k] = unsigned(r[k]);
#else
  __cpuid_count(leaf, sub, regs[0], regs[1], regs[2], regs[3]);
#endif
}

// Which register states the OS saves on a context switch (XCR0). Only call when the
// processor reports OSXSAVE.
uint64_t enabledStates() {
#ifdef _MSC_VER
  return _xgetbv(0);
#else
  // Written as an instruction so the file needs no -mxsave.
  unsigned lo, hi;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (uint64_t(hi) << 32) | lo;
#endif
}

CpuFeatures detect() {
  CpuFeatures f;
  unsigned r[4];
  cpuid(0, 0, r);
  const unsigned maxLeaf = r[0];
  if (maxLeaf < 1) return f;
  cpuid(1, 0, r);
  f.sse2 = ((r[3] >> 26) & 1) != 0;
  const bool osxsave = ((r[2] >> 27) & 1) != 0, avx = ((r[2] >> 28) & 1) != 0;
  if (!osxsave || !avx || maxLeaf < 7) return f;
  const uint64_t xcr0 = enabledStates();
  const bool ymmSaved = (xcr0 & 0x6) == 0x6;    // SSE and AVX state
  const bool zmmSaved = (xcr0 & 0xE6) == 0xE6;  // plus opmask and both zmm halves
  cpuid(7, 0, r);
  const unsigned b = r[1];
  f.avx2 = ymmSaved && ((b >> 5) & 1) != 0;
  const auto bit = [b](int n) { return ((b >> n) & 1) != 0; };
  const bool avx512f = bit(16), dq = bit(17), bw = bit(30), vl = bit(31);
  f.avx512 = f.avx2 && zmmSaved && avx512f && dq && bw && vl;
  return f;
}

}  // namespace

const CpuFeatures& cpuFeatures() {
  static const CpuFeatures features = detect();
  return features;
}
#else
const CpuFeatures& cpuFeatures() {
  static const CpuFeatures none;
  return none;
}
#endif

}  // namespace Slate::Pixel::Detail
