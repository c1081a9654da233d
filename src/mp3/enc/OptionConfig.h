#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mp3/enc/EncError.h"

namespace mp3::enc {

// The named options one encoder is built with (name, value text). Each
// encoder handle owns its own, so two encoders never see each other's
// options. Modules read them at creation; an option that is not named leaves
// the receiving variable unchanged, so its prior value is the default.
class OptionConfig {
  public:
    void clear() { entries_.clear(); }
    // Adds an option; a later entry of the same name overrides an earlier one.
    void add(std::string name, std::string value = {});
    bool has(std::string_view name) const;

    // In help mode every reader appends its usage line, description and help
    // text to helpText() and leaves the variable alone.
    void setHelpMode(bool on) { helpMode_ = on; }
    const std::string& helpText() const { return helpText_; }

    EncErrorPtr readInts(const char* name, int count, int min, int max, const char* description,
                         const char* help, int* values);
    EncErrorPtr readInt(const char* name, int min, int max, const char* description,
                        const char* help, int& value);
    EncErrorPtr readFloats(const char* name, int count, float min, float max,
                           const char* description, const char* help, float* values);
    EncErrorPtr readFloat(const char* name, float min, float max, const char* description,
                          const char* help, float& value);
    EncErrorPtr readSwitch(const char* name, const char* description, const char* help,
                           bool& value);

  private:
    const std::string* find(std::string_view name) const;
    void addHelp(const std::string& usage, const char* description, const char* help);
    template <typename T>
    EncErrorPtr readValues(const char* name, int count, T min, T max, T* values);

    std::vector<std::pair<std::string, std::string>> entries_;
    bool helpMode_ = false;
    std::string helpText_;
};

}  // namespace mp3::enc
