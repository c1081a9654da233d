#pragma once

#include <cstring>

namespace mp3 {

// Four float lanes. GCC and Clang lower these vector types to SSE on x86-64,
// NEON on ARM and plain scalar code elsewhere, so one source serves all.
typedef float F4 __attribute__((vector_size(16)));

inline F4 load4(const float* p) {
    F4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, F4 v) {
    std::memcpy(p, &v, sizeof v);
}

inline F4 splat4(float s) {
    return F4{s, s, s, s};
}

}  // namespace mp3
