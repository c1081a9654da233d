#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The choice of output format that a writer's option page offers, for
// callers that know only the framework (the command line, the recording
// options). Pages implement it beside CNxSSOptionPage.
class CNxSSFormatChoice {
  public:
    // What a caller asks for; a field not given is left to the page.
    struct Request {
        std::optional<uint32_t> sampleRate;
        std::optional<uint16_t> channels;
        std::optional<uint32_t> bitrate;  // bits per second
    };

    virtual ~CNxSSFormatChoice() = default;

    // The list's texts, in list order.
    virtual std::vector<std::string> EntryTexts() const = 0;
    // The selected entry, -1 for none.
    virtual int Selection() const = 0;
    virtual void Select(int entry) = 0;
    // Makes the selected entry the settings: 0, 0x80004005 without a
    // selection, or a setting error whose reason ErrorText gives.
    virtual uint32_t Apply() = 0;
    // The entry that meets the request; where several do, the one that
    // also keeps the current settings' other values. -1 when none does or
    // the request leaves the choice open.
    virtual int FindEntry(const Request& request) const = 0;
    // Whether the current settings can be written: 0 or a setting error
    // whose reason ErrorText gives. Nothing is written to find out.
    virtual uint32_t CheckSettings() = 0;
    // The reason of the last setting error, in words for the user.
    virtual std::string ErrorText() const = 0;
};
