#include "cli/JobProgress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

std::string clock(int32_t ms) {
    char text[16];
    const int32_t seconds = std::max(ms, 0) / 1000;
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

JobProgress::JobProgress(std::string label)
    : label_(label.empty() ? std::string() : label + " "), tty_(::isatty(STDERR_FILENO) != 0) {}

JobProgress::~JobProgress() {
    end();
}

void JobProgress::show(int32_t positionMs, int32_t lengthMs) {
    if (lengthMs <= 0) {
        return;
    }
    const int percent =
        static_cast<int>(int64_t{std::clamp(positionMs, 0, lengthMs)} * 100 / lengthMs);
    if (percent == shown_ || (!tty_ && percent / 10 == shown_ / 10)) {
        return;
    }
    shown_ = percent;
    std::fprintf(stderr, "%s%s%3d%% %s / %s%s", tty_ ? "\r" : "", label_.c_str(), percent,
                 clock(positionMs).c_str(), clock(lengthMs).c_str(), tty_ ? "" : "\n");
}

void JobProgress::end() {
    if (tty_ && shown_ >= 0) {
        std::fputs("\n", stderr);
    }
    shown_ = -1;
}

}  // namespace cli
