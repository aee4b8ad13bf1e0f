// zev-timing: BM_Conversion's work timed with the standard clock alone, so that a build without
// Google Benchmark, zev-timing.js under node, times the same conversion as the native build.
// Prints the median over ROUNDS rounds of the time per conversion, in milliseconds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "conversion.h"

int main() {
  constexpr int ROUNDS = 21;
  constexpr int CONVERSIONS = 50;
  const std::string& text = zev::longMotion();
  zev::Worker worker;
  worker.convert(text);  // the first touch of every page is not part of a conversion
  std::vector<double> milliseconds;
  std::size_t written = 0;
  for (int round = 0; round < ROUNDS; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < CONVERSIONS; ++i) {
      worker.convert(text);
      written += worker.pz2.size();
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    milliseconds.push_back(took.count() / CONVERSIONS);
  }
  std::nth_element(milliseconds.begin(), milliseconds.begin() + ROUNDS / 2, milliseconds.end());
  std::printf("conversion %.3f ms (median of %d rounds, %zu bytes written)\n",
              milliseconds[ROUNDS / 2], ROUNDS, written);
  return 0;
}
