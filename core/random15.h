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

private:
    std::uint32_t state_ = 1;
};

}  // namespace wendral
