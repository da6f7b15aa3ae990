// Times the rotation kernel on the frames the game spins: 900x600, output the source size,
// bilinear, at angles n*3.14/6 for n = -1..-12. Each benchmark iteration rotates all twelve
// frames. The reference loop, each kernel path (one thread and the pool) and pixman's
// bilinear transform run side by side in one process, and a table of median ns per pixel
// and ratios is printed at the end.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "slate/pixel/rotation.h"

using namespace Slate::Pixel;

namespace {

constexpr int kW = 900, kH = 600, kAngles = 12;
constexpr double kPixelsPerIteration = double(kW) * kH * kAngles;

// A picture with smooth areas and edges, like a photo cut into tiles.
const std::vector<uint32_t>& sourceFrame() {
  static const std::vector<uint32_t> frame = [] {
    std::vector<uint32_t> f(size_t(kW) * kH);
    std::mt19937 rng(42);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const uint32_t r = (x * 255) / kW, g = (y * 255) / kH, b = ((x / 30 + y / 30) & 1) * 200;
        f[size_t(y) * kW + x] = (r << 16) | (g << 8) | (b ^ (rng() & 15));
      }
    return f;
  }();
  return frame;
}

double angle(int k) {
  return -(k + 1) * 3.14 / 6;
}

void kernelBench(benchmark::State& state, bool reference, RotationPath path, int threads) {
  const auto& src = sourceFrame();
  std::vector<uint32_t> dst(src.size());
  for (auto _ : state) {
    for (int k = 0; k < kAngles; ++k) {
      const bool ok = reference ? rotatePixelsReference(src.data(), kW, kH, dst.data(), kW, kH,
                                                        angle(k), 0x00808080, true)
                                : rotatePixelsWith(path, threads, src.data(), kW, kH, dst.data(),
                                                   kW, kH, angle(k), 0x00808080, true);
      if (!ok) state.SkipWithError("refused");
      benchmark::DoNotOptimize(dst.data());
      benchmark::ClobberMemory();
    }
  }
  state.counters["ns/px"] =
      benchmark::Counter(kPixelsPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                                                  benchmark::Counter::kInvert);
}

// pixman maps destination to source coordinates: translate the destination centre to the
// origin, rotate by the same angle the kernel uses for its inverse map, translate back.
void pixmanBench(benchmark::State& state) {
  auto src = sourceFrame();  // pixman wants a writable buffer
  std::vector<uint32_t> dst(src.size());
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_x8r8g8b8, kW, kH, src.data(), kW * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_x8r8g8b8, kW, kH, dst.data(), kW * 4);
  pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  std::vector<pixman_transform_t> transforms(kAngles);
  for (int k = 0; k < kAngles; ++k) {
    pixman_transform_t& t = transforms[k];
    const double a = -angle(k);
    pixman_transform_init_translate(&t, pixman_double_to_fixed(-kW / 2.0),
                                    pixman_double_to_fixed(-kH / 2.0));
    pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(std::cos(a)),
                            pixman_double_to_fixed(std::sin(a)));
    pixman_transform_translate(&t, nullptr, pixman_double_to_fixed(kW / 2.0),
                               pixman_double_to_fixed(kH / 2.0));
  }
  for (auto _ : state) {
    for (int k = 0; k < kAngles; ++k) {
      pixman_image_set_transform(s, &transforms[k]);
      pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, kW, kH);
      benchmark::DoNotOptimize(dst.data());
      benchmark::ClobberMemory();
    }
  }
  state.counters["ns/px"] =
      benchmark::Counter(kPixelsPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                                                  benchmark::Counter::kInvert);
  pixman_image_unref(s);
  pixman_image_unref(d);
}

void memcpyBench(benchmark::State& state) {
  const auto& src = sourceFrame();
  std::vector<uint32_t> dst(src.size());
  for (auto _ : state) {
    for (int k = 0; k < kAngles; ++k) {
      std::memcpy(dst.data(), src.data(), src.size() * 4);
      benchmark::DoNotOptimize(dst.data());
      benchmark::ClobberMemory();
    }
  }
  state.counters["ns/px"] =
      benchmark::Counter(kPixelsPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                                                  benchmark::Counter::kInvert);
}

// Collects each benchmark's median and prints the comparison table after the usual output.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      const bool single = r.run_type == Run::RT_Iteration && r.repetitions <= 1;
      if (!median && !single) continue;
      auto it = r.counters.find("ns/px");
      if (it == r.counters.end()) continue;
      const std::string name = r.run_name.function_name;
      if (!medians_.count(name)) order_.push_back(name);
      medians_[name] = it->second.value * 1e9;  // the counter is in seconds
    }
  }

  void printTable() const {
    const double pixman = medians_.count("pixman_bilinear") ? medians_.at("pixman_bilinear") : 0;
    const double ref = medians_.count("reference") ? medians_.at("reference") : 0;
    std::printf("\n900x600 bilinear, 12 angles, median ns per output pixel\n");
    std::printf("%-22s %10s %14s %16s\n", "", "ns/pixel", "pixman / this", "reference / this");
    for (const std::string& name : order_) {
      const double v = medians_.at(name);
      std::printf("%-22s %10.3f %13.2fx %15.2fx\n", name.c_str(), v, pixman / v, ref / v);
    }
  }

 private:
  std::map<std::string, double> medians_;
  std::vector<std::string> order_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("reference", kernelBench, true, RotationPath::Scalar, 1);
  benchmark::RegisterBenchmark("pixman_bilinear", pixmanBench);
  for (RotationPath p :
       {RotationPath::Scalar, RotationPath::Sse2, RotationPath::Avx2, RotationPath::Avx512}) {
    if (!rotationPathSupported(p)) continue;
    const std::string name = rotationPathName(p);
    benchmark::RegisterBenchmark((name + "_1thread").c_str(), kernelBench, false, p, 1);
    benchmark::RegisterBenchmark((name + "_pool").c_str(), kernelBench, false, p, 0);
  }
  benchmark::RegisterBenchmark("memcpy", memcpyBench);

  // Medians of several repetitions unless the command line says otherwise.
  std::vector<char*> args(argv, argv + argc);
  std::string reps = "--benchmark_repetitions=7";
  bool given = false;
  for (int k = 1; k < argc; ++k)
    if (std::strncmp(argv[k], "--benchmark_repetitions", 23) == 0) given = true;
  if (!given) args.push_back(reps.data());
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printTable();
  benchmark::Shutdown();
  return 0;
}
