// Counts the test program's heap allocations made through operator new while
// gCounting is set: the proof that frames and frame-time calls never touch
// the heap. Linked into every test program; counting is off unless a test
// turns it on.
#pragma once

#include <atomic>

extern std::atomic<bool> gCounting;
extern std::atomic<long> gAllocations;
