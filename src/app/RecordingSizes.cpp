#include "app/RecordingSizes.h"

#include <cstdio>

namespace app {

namespace {

constexpr double kKilo = 1024.0;
constexpr double kMega = kKilo * 1024.0;
constexpr double kGiga = kMega * 1024.0;

std::string numberText(double value, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, value >= 100.0 ? "%.0f%s" : "%.1f%s", value, unit);
    return text;
}

}  // namespace

std::string recordingSizeText(int64_t bytes) {
    const double value = static_cast<double>(bytes);
    if (bytes < 1024) {
        return numberText(value, "B");
    }
    if (value < kMega) {
        return numberText(value / kKilo, "KB");
    }
    if (value < kGiga) {
        return numberText(value / kMega, "MB");
    }
    return numberText(value / kGiga, "GB");
}

int64_t estimatedRecordingSize(uint32_t bitRate, int32_t seconds) {
    return static_cast<int64_t>(bitRate) / 1000 * seconds * 1024 / 8;
}

std::string recordingLengthText(int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace app
