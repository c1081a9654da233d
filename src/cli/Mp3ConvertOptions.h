#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "stream/CNxSSFormatChoice.h"

class CNxSSMp3OptionPage;

namespace cli {

// The options of `convert` that only MP3 outputs take.
struct Mp3ConvertOptions {
    std::optional<int> quality;     // speed 0, 1 or 2
    std::optional<int> vbrQuality;  // 20, 40, 60, 80 or 100
    bool copyright = false;
    bool original = false;

    bool given() const { return quality || vbrQuality || copyright || original; }

    static const std::vector<std::string>& valueOptions();
    static const std::vector<std::string>& flags();
    // Nothing for a bad value (the reason goes to standard error).
    static std::optional<Mp3ConvertOptions> read(const CliOptions& options);
};

// Sets the MP3 writer's property page from the options as a user would and
// saves the settings as the page does; "OriginalBit" is set for this job
// only, since the page never saves it. Without options the stored settings
// stand. Returns 0, or the exit code after saying what is wrong.
int applyMp3Options(CNxSSMp3OptionPage& page, const CNxSSFormatChoice::Request& format,
                    bool formatGiven, const Mp3ConvertOptions& options);

}  // namespace cli
