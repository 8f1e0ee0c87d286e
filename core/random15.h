#pragma once
#include <cstdint>

namespace wendral {

// The one pseudo-random sequence the effects draw from. It starts from state 1 in every
// process and is never reseeded, so a script run twice gives the same picture twice.
class Random15 {
  public:
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    std::uint32_t State() const { return state_; }
    // A recorded session starts the generator where the application's was.
    void SetState(std::uint32_t state) { state_ = state; }

    // Two calls of Next() in one: both states are formed from the current one, which halves
    // the chain of dependent multiplications in loops that draw twice per pixel.
    void NextPair(int& first, int& second) {
        constexpr std::uint32_t kSquare = 214013u * 214013u;
        constexpr std::uint32_t kSquareStep = 214013u * 2531011u + 2531011u;
        const std::uint32_t s1 = state_ * 214013u + 2531011u;
        state_ = state_ * kSquare + kSquareStep;
        first = static_cast<int>((s1 >> 16) & 0x7FFFu);
        second = static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

    // Where n calls of Next() would leave the generator, in about log2(n) steps: a step is an
    // affine map of the state, and so is any power of it, formed by squaring. Lets a band of
    // rows start on the draw that its first pixel would get in one pass over the picture.
    void Skip(std::uint64_t n) {
        std::uint32_t mul = 214013u, add = 2531011u;
        for (; n != 0; n >>= 1) {
            if (n & 1) state_ = state_ * mul + add;
            add = add * mul + add;
            mul *= mul;
        }
    }

  private:
    std::uint32_t state_ = 1;
};

}  // namespace wendral
