#include "platform/cd/CdioLog.h"

#include <cdio/logging.h>

#include <mutex>

namespace platform::cd {

namespace {

void ignoreMessage(cdio_log_level_t /*level*/, const char* /*message*/) {}

}  // namespace

void silenceCdioLog() {
    static std::once_flag installed;
    std::call_once(installed, [] { cdio_log_set_handler(ignoreMessage); });
}

}  // namespace platform::cd
