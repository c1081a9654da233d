#include "app/MimeAssociations.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"

namespace app {
namespace {

using Text = std::vector<std::string>;

std::string_view trimmed(std::string_view line) {
    return platform::trim(line, " \t\r");
}

bool isGroup(std::string_view line) {
    const std::string_view t = trimmed(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

// The lines of a group's body: [begin, end); begin == end == size when absent.
std::pair<size_t, size_t> groupRange(const Text& lines, std::string_view group) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (trimmed(lines[i]) == group) {
            size_t end = i + 1;
            while (end < lines.size() && !isGroup(lines[end])) {
                ++end;
            }
            return {i + 1, end};
        }
    }
    return {lines.size(), lines.size()};
}

std::optional<size_t> keyLine(const Text& lines, std::string_view group, std::string_view key) {
    const auto [begin, end] = groupRange(lines, group);
    for (size_t i = begin; i < end; ++i) {
        const size_t equals = lines[i].find('=');
        if (equals != std::string::npos && trimmed(lines[i].substr(0, equals)) == key) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> valueOf(const Text& lines, std::string_view group,
                                   std::string_view key) {
    const auto at = keyLine(lines, group, key);
    if (!at) {
        return std::nullopt;
    }
    const std::string& line = lines[*at];
    return std::string(trimmed(std::string_view(line).substr(line.find('=') + 1)));
}

void setValue(Text& lines, std::string_view group, std::string_view key, std::string_view value) {
    const std::string line = std::string(key) + "=" + std::string(value);
    if (const auto at = keyLine(lines, group, key)) {
        lines[*at] = line;
        return;
    }
    auto [begin, end] = groupRange(lines, group);
    if (begin == lines.size() && end == lines.size() &&
        (lines.empty() || trimmed(lines.back()) != group)) {
        if (!lines.empty() && !trimmed(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.emplace_back(group);
        lines.push_back(line);
        return;
    }
    // After the group's last entry, before the blank lines that part it.
    while (end > begin && trimmed(lines[end - 1]).empty()) {
        --end;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), line);
}

void removeKey(Text& lines, std::string_view group, std::string_view key) {
    if (const auto at = keyLine(lines, group, key)) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*at));
    }
}

// A backup group left without entries goes with its header.
void dropIfEmpty(Text& lines, std::string_view group) {
    const auto [begin, end] = groupRange(lines, group);
    if (begin == lines.size() && end == lines.size() &&
        (lines.empty() || trimmed(lines.back()) != group)) {
        return;
    }
    for (size_t i = begin; i < end; ++i) {
        if (!trimmed(lines[i]).empty()) {
            return;
        }
    }
    size_t first = begin - 1;
    if (first > 0 && trimmed(lines[first - 1]).empty()) {
        --first;  // the blank line before the header, too
    }
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(first),
                lines.begin() + static_cast<std::ptrdiff_t>(end));
}

// The first of the ";"-separated desktop ids: the one that opens the type.
std::string_view firstEntry(std::string_view value) {
    return trimmed(value.substr(0, value.find(';')));
}

}  // namespace

MimeAssociations::MimeAssociations(std::filesystem::path list, std::string desktopId)
    : list_(std::move(list)), desktopId_(std::move(desktopId)) {}

std::filesystem::path MimeAssociations::userList() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        return std::filesystem::path(config) / "mimeapps.list";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "") / ".config" / "mimeapps.list";
}

bool MimeAssociations::IsAssociated(std::string_view mimeType) const {
    const Lines lines = read();
    const auto value = valueOf(lines.text, kDefaultsGroup, mimeType);
    return value && firstEntry(*value) == desktopId_;
}

bool MimeAssociations::SetAssociation(std::string_view mimeType, bool enable) {
    Lines lines = read();
    if (!lines.readable) {
        return false;
    }
    const std::string current = valueOf(lines.text, kDefaultsGroup, mimeType).value_or("");
    const bool ours = firstEntry(current) == desktopId_;
    if (enable == ours) {
        return true;  // already so, or another program's: never taken away
    }
    if (enable) {
        if (!current.empty()) {
            setValue(lines.text, kBackupGroup, mimeType, current);
        }
        setValue(lines.text, kDefaultsGroup, mimeType, desktopId_ + ";");
    } else {
        const std::string backup = valueOf(lines.text, kBackupGroup, mimeType).value_or("");
        if (backup.empty()) {
            removeKey(lines.text, kDefaultsGroup, mimeType);
        } else {
            setValue(lines.text, kDefaultsGroup, mimeType, backup);
        }
        removeKey(lines.text, kBackupGroup, mimeType);
        dropIfEmpty(lines.text, kBackupGroup);
    }
    return write(lines);
}

MimeAssociations::Lines MimeAssociations::read() const {
    Lines lines;
    std::error_code ec;
    if (!std::filesystem::exists(list_, ec)) {
        lines.readable = !ec;
        return lines;
    }
    std::ifstream in(list_, std::ios::binary);
    if (!in) {
        lines.readable = false;
        return lines;
    }
    for (std::string line; std::getline(in, line);) {
        lines.text.push_back(line);
    }
    lines.readable = !in.bad();
    return lines;
}

// A list kept elsewhere behind a link is written where it lives.
bool MimeAssociations::write(const Lines& lines) const {
    std::error_code ec;
    const bool linked = std::filesystem::is_symlink(list_, ec);
    const std::filesystem::path target = linked ? std::filesystem::canonical(list_, ec) : list_;
    if (linked && ec) {
        return false;  // a dangling link: where the list lives is unknown
    }
    std::filesystem::create_directories(target.parent_path(), ec);
    struct stat before {};
    const bool existed = stat(target.c_str(), &before) == 0;
    platform::AtomicFile file(target, existed ? (before.st_mode & 07777) : 0644);
    std::string text;
    for (const std::string& line : lines.text) {
        text += line;
        text += '\n';
    }
    return file.ok() && (!existed || file.setMode(before.st_mode & 07777)) && file.write(text) &&
           file.publish();
}

}  // namespace app
