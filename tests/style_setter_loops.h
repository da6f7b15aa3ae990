// Every style setter called many times on one target, for the leak checks of both targets.
// A setter that leaked one pen, brush, bitmap or DC a call would exhaust Wine's table of
// about 65,500 GDI handles long before the end; afterwards the caller checks that the last
// values are the ones in force.
#pragma once

#include <chrono>
#include <cstdio>

#include <slate/draw_target.h>

namespace StyleSetterLoops {

constexpr int kRepeats = 100000;
// The pattern setters copy a picture and pack it each call (up to ~100 us under Wine);
// 70,000 calls still outnumber the handle table.
constexpr int kPatternRepeats = 70000;

template <class Call>
void repeat(const char* name, int times, Call call) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < times; ++i) call(i);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%-22s %6d calls in %.2f s\n", name, times, took.count());
}

// Ends with a dashed pen of thickness 5 (with the default count).
inline void lineSetters(Slate::DrawOnImg& t, int repeats = kRepeats) {
  const DWORD dashes[] = {3, 1};
  repeat("setLineStyle(values)", repeats,
         [&](int i) { t.setLineStyle(PS_USERSTYLE, 1 + i % 3, dashes, 2); });
  Slate::LINESTYLE line;
  line.style = PS_DASH;
  repeat("setLineStyle(record)", repeats, [&](int i) {
    line.thickness = 1 + i % 5;
    t.setLineStyle(&line);
  });
}

// Ends with a hatched brush of hatch (repeats - 1) % 6.
inline void fillSetters(Slate::DrawOnImg& t, int patternRepeats = kPatternRepeats,
                        int repeats = kRepeats) {
  Slate::IMAGE picture(8, 8);
  repeat("setFillStyle(values)", patternRepeats, [&](int i) {
    const int style = i % 3 == 0 ? BS_HATCHED : i % 3 == 1 ? BS_PATTERN : BS_DIBPATTERN;
    t.setFillStyle(style, i % 6, &picture);
  });
  BYTE bytes[8] = {};
  repeat("setFillStyle(bytes)", patternRepeats, [&](int i) {
    bytes[0] = static_cast<BYTE>(i);
    t.setFillStyle(bytes);
  });
  Slate::FILLSTYLE fill;
  fill.style = BS_HATCHED;
  repeat("setFillStyle(record)", repeats, [&](int i) {
    fill.hatch = i % 6;
    t.setFillStyle(&fill);
  });
}

}  // namespace StyleSetterLoops
