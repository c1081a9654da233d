#pragma once

namespace platform::cd {

// libcdio's own log handler ends the process on an error message (a broken
// CUE file is enough). Every entry into libcdio calls this first to put a
// silent handler in place; failures are reported by return values instead.
void silenceCdioLog();

}  // namespace platform::cd
