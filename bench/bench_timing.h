// Median timing of a piece of work, in microseconds.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

// Runs setup() then times work(), reps times; returns the median in µs.
template <typename Setup, typename Work>
double MedianUs(int reps, Setup setup, Work work) {
  std::vector<double> samples;
  samples.reserve(reps);
  for (int i = 0; i < reps; i++) {
    setup();
    auto t0 = std::chrono::steady_clock::now();
    work();
    auto t1 = std::chrono::steady_clock::now();
    samples.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  std::nth_element(samples.begin(), samples.begin() + reps / 2, samples.end());
  return samples[reps / 2];
}
