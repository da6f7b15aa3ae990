// Stand-in for libFuzzer where the compiler has none: feeds random inputs to the target
// for the given number of seconds (first argument, default 30).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30;
  std::mt19937_64 rng(std::random_device{}());
  const auto start = std::chrono::steady_clock::now();
  long runs = 0;
  std::vector<uint8_t> input;
  while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() <
         seconds) {
    input.resize(rng() % 512);
    for (auto& b : input) b = uint8_t(rng());
    // Small sizes are the interesting ones; shrink them most of the time.
    if (input.size() >= 4 && (rng() & 3)) {
      input[1] = input[3] = 0;
      input[0] %= 64;
      input[2] %= 64;
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
    ++runs;
  }
  std::printf("fuzz driver: %ld inputs in %.0f s, no faults\n", runs, seconds);
  return 0;
}
