#pragma once

namespace mp3 {

inline constexpr double kPi = 3.14159265358979323846;

// cos and sin usable in constant expressions, accurate to double precision,
// so that every coefficient table can be built at compile time.
constexpr double constCos(double x) {
    const double twoPi = 2.0 * kPi;
    x -= twoPi * static_cast<double>(static_cast<long long>(x / twoPi));
    if (x > kPi) {
        x -= twoPi;
    } else if (x < -kPi) {
        x += twoPi;
    }
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n < 40; ++n) {
        term *= -x * x / ((2.0 * n - 1.0) * (2.0 * n));
        sum += term;
    }
    return sum;
}

constexpr double constSin(double x) {
    return constCos(x - kPi / 2.0);
}

// sqrt by Newton's method, for constant expressions.
constexpr double constSqrt(double x) {
    if (x <= 0.0) {
        return 0.0;
    }
    double r = x > 1.0 ? x : 1.0;
    for (int i = 0; i < 100; ++i) {
        r = 0.5 * (r + x / r);
    }
    return r;
}

}  // namespace mp3
