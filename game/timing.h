// Time stamps for the benchmark's build of the game (bench/game). The game itself is built
// without SLIDEPUZZLE_TIMING, and then a stamp is nothing at all.
#pragma once

#ifdef SLIDEPUZZLE_TIMING
void timingStamp(const char* what);
#define TIMING_STAMP(what) timingStamp(what)
#else
#define TIMING_STAMP(what) ((void)0)
#endif
