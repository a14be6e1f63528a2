#pragma once
// A small deterministic generator, so a page drawn from a seed is the same page
// on every machine and library version (std's distributions are not).
#include <cstdint>

namespace ostrel::pagegen {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

  // splitmix64
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double uniform(double low, double high) { return low + (high - low) * uniform(); }
  // Uniform integer in [low, high].
  int between(int low, int high) {
    return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool chance(double probability) { return uniform() < probability; }
  // Roughly normal with mean 0 and deviation 1 (sum of four uniforms).
  double normal() { return (uniform() + uniform() + uniform() + uniform() - 2.0) * 1.7320508; }
  // An independent generator for one part of a page, so drawing one part more
  // or less does not shift the random numbers of the others.
  Random fork(std::uint64_t salt) const { return Random(state_ ^ (salt * 0xD1B54A32D192ED03ull)); }

 private:
  std::uint64_t state_;
};

}  // namespace ostrel::pagegen
