#pragma once
// The benchmarks' one clock: the performance counter, in microseconds.

// Microseconds since an arbitrary start; only differences mean anything.
double now_microseconds(void);
