#include "mdb/ProfileFile.h"

#include <cstdlib>

#include "mdb/TextFile.h"
#include "mdb/TextRules.h"
#include "platform/AsciiText.h"

namespace mdb {

namespace {

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The section name of a "[name]" line.
std::optional<std::string_view> sectionName(std::string_view line) {
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const size_t close = line.find(']');
    return platform::trim(line.substr(1, close == std::string_view::npos ? close : close - 1));
}

}  // namespace

ProfileSection::ProfileSection(const TextFile& file, std::string_view section) {
    const std::string wanted = toLowerAscii(section);
    bool inside = false;
    bool seen = false;
    std::string line;
    for (TextFile::Cursor at; file.nextLine(at, line);) {
        const std::string_view trimmed = platform::trim(line);
        if (const auto name = sectionName(trimmed)) {
            if (seen && inside) {
                return;
            }
            inside = toLowerAscii(*name) == wanted;
            seen = seen || inside;
            continue;
        }
        const size_t equals = trimmed.find('=');
        if (!inside || equals == std::string_view::npos) {
            continue;
        }
        const std::string key = toLowerAscii(platform::trim(trimmed.substr(0, equals)));
        values_.try_emplace(key, unquote(platform::trim(trimmed.substr(equals + 1))));
    }
}

std::optional<std::string> ProfileSection::text(std::string_view key) const {
    const auto it = values_.find(toLowerAscii(key));
    if (it == values_.end()) {
        return std::nullopt;
    }
    return it->second;
}

long long ProfileSection::integer(std::string_view key, long long fallback) const {
    const auto value = text(key);
    if (!value) {
        return fallback;
    }
    return std::strtoll(value->c_str(), nullptr, 10);
}

}  // namespace mdb
