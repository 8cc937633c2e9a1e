#pragma once

// A small fixed pseudo-random generator (xoshiro256**, seeded through
// splitmix64). The standard library's distributions differ between library
// versions, so everything here is integer arithmetic of our own: the same
// seed gives the same tree everywhere.

#include <cstdint>

namespace brenvo1::bench {

class RandomStream {
 public:
  explicit RandomStream(std::uint64_t seed) {
    for (auto& word : state_) {
      seed += 0x9E3779B97F4A7C15ull;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      word = z ^ (z >> 31);
    }
  }

  std::uint64_t Next() {
    const std::uint64_t result = Rotate(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotate(state_[3], 45);
    return result;
  }

  // Uniform in [0, bound); bound > 0.
  std::uint64_t Below(std::uint64_t bound) {
    return static_cast<std::uint64_t>((static_cast<unsigned __int128>(Next()) * bound) >> 64);
  }

  // True with probability perMille / 1000.
  bool PerMille(unsigned perMille) { return Below(1000) < perMille; }

 private:
  static std::uint64_t Rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t state_[4];
};

}  // namespace brenvo1::bench
