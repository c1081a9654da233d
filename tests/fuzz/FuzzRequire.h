#pragma once

#include <cstdlib>

// A property the input must not break: a broken one is a finding.
inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}
