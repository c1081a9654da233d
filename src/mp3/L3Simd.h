#pragma once

#include <cstdint>
#include <cstring>

namespace mp3 {

// Four float lanes. GCC and Clang lower these vector types to SSE on x86-64,
// NEON on ARM and plain scalar code elsewhere, so one source serves all.
typedef float F4 __attribute__((vector_size(16)));
typedef int32_t I4 __attribute__((vector_size(16)));
typedef int32_t I8 __attribute__((vector_size(32)));
typedef int16_t S8 __attribute__((vector_size(16)));

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

#if defined(__clang__)
inline F4 interleaveLow(F4 a, F4 b) {
    return __builtin_shufflevector(a, b, 0, 4, 1, 5);
}
inline F4 interleaveHigh(F4 a, F4 b) {
    return __builtin_shufflevector(a, b, 2, 6, 3, 7);
}
inline F4 lowHalves(F4 a, F4 b) {
    return __builtin_shufflevector(a, b, 0, 1, 4, 5);
}
inline F4 highHalves(F4 a, F4 b) {
    return __builtin_shufflevector(a, b, 2, 3, 6, 7);
}
inline F4 reverse4(F4 a) {
    return __builtin_shufflevector(a, a, 3, 2, 1, 0);
}
#else
inline F4 interleaveLow(F4 a, F4 b) {
    return __builtin_shuffle(a, b, I4{0, 4, 1, 5});
}
inline F4 interleaveHigh(F4 a, F4 b) {
    return __builtin_shuffle(a, b, I4{2, 6, 3, 7});
}
inline F4 lowHalves(F4 a, F4 b) {
    return __builtin_shuffle(a, b, I4{0, 1, 4, 5});
}
inline F4 highHalves(F4 a, F4 b) {
    return __builtin_shuffle(a, b, I4{2, 3, 6, 7});
}
inline F4 reverse4(F4 a) {
    return __builtin_shuffle(a, I4{3, 2, 1, 0});
}
#endif

// The low 16 bits of the lanes of a, then of b; with kInterleaved, of a and b
// in turn.
template <bool kInterleaved = false>
inline S8 narrow16(I4 a, I4 b) {
    const I8 both = kInterleaved ? __builtin_shufflevector(a, b, 0, 4, 1, 5, 2, 6, 3, 7)
                                 : __builtin_shufflevector(a, b, 0, 1, 2, 3, 4, 5, 6, 7);
    return __builtin_convertvector(both, S8);
}

// Rows r0..r3 become columns.
inline void transpose4(F4& r0, F4& r1, F4& r2, F4& r3) {
    const F4 t0 = interleaveLow(r0, r1);
    const F4 t1 = interleaveHigh(r0, r1);
    const F4 t2 = interleaveLow(r2, r3);
    const F4 t3 = interleaveHigh(r2, r3);
    r0 = lowHalves(t0, t2);
    r1 = highHalves(t0, t2);
    r2 = lowHalves(t1, t3);
    r3 = highHalves(t1, t3);
}

}  // namespace mp3
