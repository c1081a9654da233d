#include "ui/SkinIni.h"

#include <fstream>
#include <limits>
#include <system_error>

namespace ui {

namespace {

constexpr std::string_view kSpace = " \t\r\v\f";

std::string_view trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

}  // namespace

std::string_view cutUtf8(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

SkinIni SkinIni::parse(std::string_view text) {
    SkinIni ini;
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::string section;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = close != std::string_view::npos;
            if (inSection) {
                section = std::string(trim(line.substr(1, close - 1)));
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) {
            continue;
        }
        ini.entries_.push_back({section, std::string(trim(line.substr(0, equals))),
                                std::string(unquote(trim(line.substr(equals + 1))))});
    }
    return ini;
}

SkinIni SkinIni::load(const std::filesystem::path& file) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxFileSize) {
        return {};
    }
    std::ifstream in(file, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in) {
        return {};
    }
    return parse(text);
}

const SkinIni::Entry* SkinIni::find(std::string_view section, std::string_view key) const {
    for (const Entry& e : entries_) {
        if (equalNoCase(e.section, section) && equalNoCase(e.key, key)) {
            return &e;
        }
    }
    return nullptr;
}

bool SkinIni::has(std::string_view section, std::string_view key) const {
    return find(section, key) != nullptr;
}

std::string SkinIni::value(std::string_view section, std::string_view key,
                           std::string_view fallback, std::size_t buffer) const {
    const Entry* e = find(section, key);
    const std::string_view v = e ? std::string_view(e->value) : fallback;
    return std::string(cutUtf8(v, buffer == 0 ? 0 : buffer - 1));
}

std::size_t scanIntegerList(std::string_view text, int* out, std::size_t count) {
    std::size_t read = 0;
    std::size_t at = 0;
    while (read < count) {
        if (read > 0) {
            if (at >= text.size() || text[at] != ',') {
                break;
            }
            ++at;
        }
        while (at < text.size() && kSpace.find(text[at]) != std::string_view::npos) {
            ++at;
        }
        bool negative = false;
        if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
            negative = text[at++] == '-';
        }
        const std::size_t digits = at;
        long long value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + (text[at++] - '0');
            if (value > std::numeric_limits<int>::max()) {
                return read;
            }
        }
        if (at == digits) {
            break;
        }
        out[read++] = static_cast<int>(negative ? -value : value);
    }
    return read;
}

}  // namespace ui
