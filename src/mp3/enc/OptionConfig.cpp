#include "mp3/enc/OptionConfig.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace mp3::enc {

namespace {
constexpr const char* kModule = "options";

std::vector<std::string> splitAtBlanks(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;) {
        tokens.push_back(token);
    }
    return tokens;
}

bool parseNumber(const std::string& token, int& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(token.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < -2147483647L || v > 2147483647L) {
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

bool parseNumber(const std::string& token, float& out) {
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(token.c_str(), &end);
    if (errno != 0 || *end != '\0' || v != v) {
        return false;
    }
    out = v;
    return true;
}

std::string usage(const char* format, const char* name, int count = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, name, count);
    return text;
}

EncErrorPtr parameterError(const char* name, const char* what) {
    char text[160];
    std::snprintf(text, sizeof text, "At parameter %s: ", name);
    return MP3ENC_ERROR(kModule, std::string(text) + what);
}
}  // namespace

void OptionConfig::add(std::string name, std::string value) {
    entries_.emplace_back(std::move(name), std::move(value));
}

bool OptionConfig::has(std::string_view name) const {
    return find(name) != nullptr;
}

const std::string* OptionConfig::find(std::string_view name) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->first == name) {
            return &it->second;
        }
    }
    return nullptr;
}

void OptionConfig::addHelp(const std::string& usageLine, const char* description,
                           const char* help) {
    helpText_ += usageLine;
    helpText_ += description;
    helpText_ += '\n';
    if (help != nullptr && *help != '\0') {
        helpText_ += "\t\t\t";
        helpText_ += help;
        helpText_ += '\n';
    }
}

template <typename T>
EncErrorPtr OptionConfig::readValues(const char* name, int count, T min, T max, T* values) {
    const std::string* text = find(name);
    if (text == nullptr) {
        return nullptr;
    }
    const std::vector<std::string> tokens = splitAtBlanks(*text);
    if (static_cast<int>(tokens.size()) < count) {
        return parameterError(name, "Too few arguments in configuration");
    }
    if (static_cast<int>(tokens.size()) > count) {
        return parameterError(name, "Too many arguments in configuration");
    }
    std::vector<T> parsed(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!parseNumber(tokens[i], parsed[i]) || parsed[i] < min || parsed[i] > max) {
            return parameterError(name, "Range Check failed");
        }
    }
    for (int i = 0; i < count; ++i) {
        values[i] = parsed[static_cast<size_t>(i)];
    }
    return nullptr;
}

EncErrorPtr OptionConfig::readInts(const char* name, int count, int min, int max,
                                   const char* description, const char* help, int* values) {
    if (helpMode_) {
        addHelp(usage("-%s %d*int\t\t", name, count), description, help);
        return nullptr;
    }
    return readValues(name, count, min, max, values);
}

EncErrorPtr OptionConfig::readInt(const char* name, int min, int max, const char* description,
                                  const char* help, int& value) {
    if (helpMode_) {
        addHelp(usage("-%s int\t\t", name), description, help);
        return nullptr;
    }
    return readValues(name, 1, min, max, &value);
}

EncErrorPtr OptionConfig::readFloats(const char* name, int count, float min, float max,
                                     const char* description, const char* help, float* values) {
    if (helpMode_) {
        addHelp(usage("-%s %d*float\t\t", name, count), description, help);
        return nullptr;
    }
    return readValues(name, count, min, max, values);
}

EncErrorPtr OptionConfig::readFloat(const char* name, float min, float max, const char* description,
                                    const char* help, float& value) {
    if (helpMode_) {
        addHelp(usage("-%s float\t\t", name), description, help);
        return nullptr;
    }
    return readValues(name, 1, min, max, &value);
}

EncErrorPtr OptionConfig::readSwitch(const char* name, const char* description, const char* help,
                                     bool& value) {
    if (helpMode_) {
        addHelp(usage("-%s\t\t\t", name), description, help);
        return nullptr;
    }
    if (find(name) != nullptr) {
        value = true;
    }
    return nullptr;
}

}  // namespace mp3::enc
