#include "platform/acm/DotKernel.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MELODUX_ACM_X86 1
#endif

namespace platform::acm {

namespace {

typedef float Vec4 __attribute__((vector_size(16)));

inline Vec4 load4(const float* p) {
    Vec4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline float sum4(Vec4 v) {
    return (v[0] + v[2]) + (v[1] + v[3]);
}

float dotPortable(const float* x, const float* c, size_t taps) {
    Vec4 a = {0, 0, 0, 0}, b = {0, 0, 0, 0};
    for (size_t i = 0; i < taps; i += 8) {
        a += load4(x + i) * load4(c + i);
        b += load4(x + i + 4) * load4(c + i + 4);
    }
    return sum4(a + b);
}

void dot2Portable(const float* x0, const float* x1, const float* c, size_t taps, float* y0,
                  float* y1) {
    Vec4 a0 = {0, 0, 0, 0}, b0 = a0, a1 = a0, b1 = a0;
    for (size_t i = 0; i < taps; i += 8) {
        const Vec4 c0 = load4(c + i), c1 = load4(c + i + 4);
        a0 += load4(x0 + i) * c0;
        b0 += load4(x0 + i + 4) * c1;
        a1 += load4(x1 + i) * c0;
        b1 += load4(x1 + i + 4) * c1;
    }
    *y0 = sum4(a0 + b0);
    *y1 = sum4(a1 + b1);
}

#ifdef MELODUX_ACM_X86

__attribute__((target("avx2,fma"))) inline float sum8(__m256 v) {
    const __m128 s = _mm_add_ps(_mm256_castps256_ps128(v), _mm256_extractf128_ps(v, 1));
    const __m128 t = _mm_add_ps(s, _mm_movehl_ps(s, s));
    return _mm_cvtss_f32(_mm_add_ss(t, _mm_shuffle_ps(t, t, 1)));
}

__attribute__((target("avx2,fma"))) float dotAvx2(const float* x, const float* c, size_t taps) {
    __m256 a = _mm256_setzero_ps(), b = _mm256_setzero_ps();
    size_t i = 0;
    for (; i + 16 <= taps; i += 16) {
        a = _mm256_fmadd_ps(_mm256_loadu_ps(x + i), _mm256_loadu_ps(c + i), a);
        b = _mm256_fmadd_ps(_mm256_loadu_ps(x + i + 8), _mm256_loadu_ps(c + i + 8), b);
    }
    if (i < taps) {
        a = _mm256_fmadd_ps(_mm256_loadu_ps(x + i), _mm256_loadu_ps(c + i), a);
    }
    return sum8(_mm256_add_ps(a, b));
}

__attribute__((target("avx2,fma"))) void dot2Avx2(const float* x0, const float* x1, const float* c,
                                                  size_t taps, float* y0, float* y1) {
    __m256 a0 = _mm256_setzero_ps(), b0 = a0, a1 = a0, b1 = a0;
    size_t i = 0;
    for (; i + 16 <= taps; i += 16) {
        const __m256 c0 = _mm256_loadu_ps(c + i), c1 = _mm256_loadu_ps(c + i + 8);
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0 + i), c0, a0);
        b0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0 + i + 8), c1, b0);
        a1 = _mm256_fmadd_ps(_mm256_loadu_ps(x1 + i), c0, a1);
        b1 = _mm256_fmadd_ps(_mm256_loadu_ps(x1 + i + 8), c1, b1);
    }
    if (i < taps) {
        const __m256 c0 = _mm256_loadu_ps(c + i);
        a0 = _mm256_fmadd_ps(_mm256_loadu_ps(x0 + i), c0, a0);
        a1 = _mm256_fmadd_ps(_mm256_loadu_ps(x1 + i), c0, a1);
    }
    *y0 = sum8(_mm256_add_ps(a0, b0));
    *y1 = sum8(_mm256_add_ps(a1, b1));
}

#endif

}  // namespace

DotKernel DotKernel::portable() {
    return {dotPortable, dot2Portable};
}

DotKernel DotKernel::best() {
#ifdef MELODUX_ACM_X86
    __builtin_cpu_init();  // may run before the static initialisers that would do it
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        return {dotAvx2, dot2Avx2};
    }
#endif
    return portable();
}

}  // namespace platform::acm
