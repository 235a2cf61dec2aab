#pragma once
// Opt-in measurements for the window benchmarks (bench/screen/window_bench.py); nothing
// happens unless their environment variables are set:
//   HIMAWARI_BENCH_FIRST_FRAME=1   at the first presented frame, prints
//                                  "first frame: <ms> ms after process start" on standard
//                                  output and quits the program.
//   HIMAWARI_BENCH_TICK_LOG=FILE   appends the monotonic time of every game tick, in
//                                  microseconds, one a line, to FILE.

// A frame reached the window (the software view's image or the OpenGL framebuffer).
void BenchFramePresented();
// The idle handler ran a game tick.
void BenchTick();
