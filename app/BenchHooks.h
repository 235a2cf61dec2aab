#pragma once
// Opt-in measurements for the window benchmarks (bench/screen/window_bench.py); nothing
// happens unless their environment variables are set:
//   HIMAWARI_BENCH_FIRST_FRAME=1   at the first presented frame, prints
//                                  "first frame: <ms> ms after process start" on standard
//                                  output and quits the program.
//   HIMAWARI_BENCH_TICK_LOG=FILE   appends the monotonic time of every game tick, in
//                                  microseconds, one a line, to FILE.
//   HIMAWARI_BENCH_AUDIO_LOG=FILE  about once a second rewrites FILE with one line of the
//                                  mixer's figures since the start: "callbacks N median_us
//                                  M worst_us W decoder_passes N decoder_median_us M
//                                  decoder_worst_us W underruns U longest_wait_us L".
class TMixer;

// A frame reached the window (the software view's image or the OpenGL framebuffer).
void BenchFramePresented();
// The idle handler ran a game tick.
void BenchTick();
// A tick passed with this mixer making the sound.
void BenchAudio(const TMixer& mixer);
