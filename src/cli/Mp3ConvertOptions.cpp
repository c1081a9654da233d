#include "cli/Mp3ConvertOptions.h"

#include <cstdio>
#include <cstdlib>

#include "mp3/writer/CNxSSMp3OptionPage.h"

namespace cli {

namespace {

constexpr int kVbrStep = 20;

std::optional<int> integer(const std::string& text, int lowest, int highest) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < lowest || value > highest) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

void listVbrQualities() {
    const auto names = CNxSSMp3OptionPage::QualityTexts();
    for (size_t i = 0; i < names.size(); ++i) {
        std::fprintf(stderr, "  %3d  %s\n", kVbrStep * static_cast<int>(i + 1), names[i].c_str());
    }
}

int offerFormats(const CNxSSMp3OptionPage& page, const char* why) {
    std::fprintf(stderr, "melodux-cli: %s; the formats offered are:\n", why);
    for (const std::string& text : page.EntryTexts()) {
        std::fprintf(stderr, "  %s\n", text.c_str());
    }
    return 2;
}

// Puts the options into the page's controls; 0 or the exit code.
int setControls(CNxSSMp3OptionPage& page, const CNxSSFormatChoice::Request& format,
                bool formatGiven, const Mp3ConvertOptions& options) {
    if (options.quality) {
        page.SetSpeed(*options.quality);
    }
    if (options.copyright) {
        page.SetCopyright(true);
    }
    if (options.vbrQuality) {
        page.SetVbrMode(true);
        page.SelectQuality(*options.vbrQuality / kVbrStep - 1);
    } else if (formatGiven) {
        const int entry = page.FindEntry(format);
        if (entry < 0) {
            return offerFormats(page, "no such format");
        }
        page.SetVbrMode(false);
        page.Select(entry);
    }
    return 0;
}

}  // namespace

const std::vector<std::string>& Mp3ConvertOptions::valueOptions() {
    static const std::vector<std::string> names{"--quality", "--vbr"};
    return names;
}

const std::vector<std::string>& Mp3ConvertOptions::flags() {
    static const std::vector<std::string> names{"--copyright", "--original"};
    return names;
}

std::optional<Mp3ConvertOptions> Mp3ConvertOptions::read(const CliOptions& options) {
    Mp3ConvertOptions o;
    if (const auto q = options.value("--quality")) {
        if (!(o.quality = integer(*q, 0, 2))) {
            std::fputs("melodux-cli: --quality is 0 (fast), 1 (standard) or 2 (high)\n", stderr);
            return std::nullopt;
        }
    }
    if (const auto v = options.value("--vbr")) {
        o.vbrQuality = integer(*v, kVbrStep, 5 * kVbrStep);
        if (!o.vbrQuality || *o.vbrQuality % kVbrStep != 0) {
            std::fputs("melodux-cli: --vbr takes one of the page's qualities:\n", stderr);
            listVbrQualities();
            return std::nullopt;
        }
    }
    o.copyright = options.flag("--copyright");
    o.original = options.flag("--original");
    return o;
}

int applyMp3Options(CNxSSMp3OptionPage& page, const CNxSSFormatChoice::Request& format,
                    bool formatGiven, const Mp3ConvertOptions& options) {
    if (!formatGiven && !options.given()) {
        return 0;
    }
    if (formatGiven && options.vbrQuality) {
        std::fputs(
            "melodux-cli: --vbr chooses its own format; drop --bitrate, --rate and "
            "--channels\n",
            stderr);
        return 2;
    }
    if (const int rc = setControls(page, format, formatGiven, options)) {
        return rc;
    }
    if (page.Apply() != 0) {
        return offerFormats(page, "the saved format is not offered for this input");
    }
    page.Settings().Save();
    if (options.original) {
        auto values = page.Mp3Settings().Values();
        values.originalBit = 1;
        page.Mp3Settings().SetValues(values);
    }
    return 0;
}

}  // namespace cli
