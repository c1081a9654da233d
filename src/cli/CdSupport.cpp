#include "cli/CdSupport.h"

#include <cstdio>
#include <string>

#include "cdinfo/CddaResult.h"
#include "cdinfo/HttpClient.h"

namespace cli {

const platform::cd::CdDrive* findDrive(const platform::cd::DriveList& drives,
                                       const CliOptions& options) {
    const std::string text = options.value("--drive").value_or("");
    const platform::cd::CdDrive* drive = drives.find(text);
    if (!drive) {
        std::fprintf(stderr, "melodux-cli: no CD drive %s\n",
                     text.empty() ? "on this computer" : text.c_str());
    }
    return drive;
}

std::string trackName(const platform::cd::CdDrive& drive, int track) {
    return std::string(1, drive.letter()) + ":\\Track" + std::to_string(track) + ".cda";
}

int reportCdda(uint32_t result) {
    static const char* const kTexts[] = {
        "",
        "the disc is not in the CD database",
        "no audio disc in the drive",
        "a CD database request is still running",
        "the information is incomplete (e-mail address, titles)",
        "the CDDB server answered with an error",
        "the CDDB server cannot be reached",
        "the local CD database cannot be written",
        "the drive cannot do that",
        "internal error",
    };
    if (result == cdinfo::kCddaOk)
        return 0;
    std::string text = result < std::size(kTexts) ? kTexts[result] : "unknown failure";
    if (result == cdinfo::kCddaNetworkError) {
        if (const std::string module = cdinfo::httpModuleFailure(); !module.empty()) {
            text += ": " + module;
        }
    }
    std::fprintf(stderr, "melodux-cli: %s (result %u)\n", text.c_str(), result);
    return 1;
}

}  // namespace cli
