#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "cli/Commands.h"
#include "platform/ProductKey.h"
#include "platform/Registry.h"

namespace cli {

namespace {

using platform::Hive;
using platform::Registry;
using platform::RegType;
using platform::RegValue;

constexpr const char* kUsage =
    "usage: melodux-cli config list [KEY]\n"
    "       melodux-cli config get KEY NAME\n"
    "       melodux-cli config set KEY NAME VALUE [--dword|--string|--binary-hex]\n"
    "       melodux-cli config delete KEY NAME\n"
    "KEY is relative to the program's settings, e.g. Settings or 'DoZIrodiz\\WaveOut'.\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

std::string hexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    char pair[4];
    for (const uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

std::string describe(const RegValue& value) {
    switch (value.type) {
        case RegType::Dword: {
            const uint32_t v = *value.asDword();
            return "dword " + std::to_string(v) + " (" + std::to_string(static_cast<int32_t>(v)) +
                   ")";
        }
        case RegType::Sz:
            return "string \"" + *value.asText() + "\"";
        case RegType::Binary:
            return "binary " + hexBytes(value.data);
    }
    return "?";
}

// "NAME = VALUE (user|machine)" for the value that is in effect.
void printValue(const std::string& key, const std::string& name) {
    Registry& registry = Registry::instance();
    const bool fromUser = registry.read(Hive::User, key, name).has_value();
    const auto value = registry.read(key, name);
    if (value) {
        std::printf("%s = %s (%s)\n", name.c_str(), describe(*value).c_str(),
                    fromUser ? "user" : "machine");
    }
}

void listKey(const std::string& key, const std::string& shown) {
    Registry& registry = Registry::instance();
    std::set<std::string> names;
    std::vector<std::string> order;
    for (const Hive hive : {Hive::User, Hive::Machine}) {
        for (const auto& name : registry.valueNames(hive, key)) {
            if (names.insert(name).second)
                order.push_back(name);
        }
    }
    if (!order.empty()) {
        std::printf("[%s]\n", shown.c_str());
        for (const auto& name : order)
            printValue(key, name);
    }
    std::set<std::string> subkeys;
    for (const Hive hive : {Hive::User, Hive::Machine}) {
        for (const auto& sub : registry.subkeyNames(hive, key))
            subkeys.insert(sub);
    }
    for (const auto& sub : subkeys) {
        listKey(key + "\\" + sub, shown.empty() ? sub : shown + "\\" + sub);
    }
}

std::optional<std::vector<uint8_t>> parseHex(const std::string& text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = text.substr(i, 2);
        const unsigned long b = std::strtoul(pair.c_str(), &end, 16);
        if (*end != '\0')
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(b));
    }
    return bytes;
}

std::optional<RegValue> parseValue(const std::string& text, const std::string& type) {
    if (type == "--string")
        return RegValue::text(text);
    if (type == "--binary-hex") {
        auto bytes = parseHex(text);
        return bytes ? std::optional(RegValue::binary(std::move(*bytes))) : std::nullopt;
    }
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || v < INT32_MIN || v > UINT32_MAX)
        return std::nullopt;
    return RegValue::dword(static_cast<uint32_t>(v));
}

int set(const Args& a) {
    if (a.size() < 4 || a.size() > 5)
        return usage();
    const std::string type = a.size() == 5 ? a[4] : "--dword";
    if (type != "--dword" && type != "--string" && type != "--binary-hex")
        return usage();
    const auto value = parseValue(a[3], type);
    if (!value) {
        std::fprintf(stderr, "melodux-cli: '%s' is not a valid %s value\n", a[3].c_str(),
                     type.c_str() + 2);
        return 2;
    }
    Registry& registry = Registry::instance();
    if (!registry.write(platform::productSubkey(a[1]), a[2], *value)) {
        std::fprintf(stderr, "melodux-cli: cannot save the setting: %s\n",
                     registry.lastWriteError().c_str());
        return 1;
    }
    return 0;
}

int get(const Args& a) {
    if (a.size() != 3)
        return usage();
    const std::string key = platform::productSubkey(a[1]);
    if (!Registry::instance().read(key, a[2])) {
        std::fprintf(stderr, "melodux-cli: no value %s under %s\n", a[2].c_str(), a[1].c_str());
        return 1;
    }
    printValue(key, a[2]);
    return 0;
}

int remove(const Args& a) {
    if (a.size() != 3)
        return usage();
    Registry& registry = Registry::instance();
    if (!registry.remove(platform::productSubkey(a[1]), a[2])) {
        std::fprintf(stderr, "melodux-cli: cannot delete the setting: %s\n",
                     registry.lastWriteError().c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int runConfig(const Args& a) {
    if (a.empty())
        return usage();
    if (a[0] == "list" && a.size() <= 2) {
        const std::string sub = a.size() == 2 ? a[1] : "";
        listKey(sub.empty() ? std::string(platform::kProductKey) : platform::productSubkey(sub),
                sub);
        return 0;
    }
    if (a[0] == "get")
        return get(a);
    if (a[0] == "set")
        return set(a);
    if (a[0] == "delete")
        return remove(a);
    return usage();
}

}  // namespace cli
