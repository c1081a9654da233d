#include "platform/wma/Attributes.h"

#include <algorithm>
#include <charconv>

#include "platform/AsciiText.h"

namespace platform::wma {

namespace {

std::optional<int> leadingNumber(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    const char* begin = text->data();
    while (begin != text->data() + text->size() && *begin == ' ') {
        ++begin;
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(begin, text->data() + text->size(), value);
    return ec == std::errc{} ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

std::vector<Attributes::Entry>::const_iterator Attributes::find(std::string_view name) const {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const Entry& e) { return platform::equalsIgnoreCase(e.first, name); });
}

std::optional<std::string> Attributes::get(std::string_view name) const {
    const auto it = find(name);
    return it == entries_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

void Attributes::set(std::string_view name, std::string_view value) {
    const auto it = find(name);
    if (it == entries_.end()) {
        entries_.emplace_back(name, value);
    } else {
        entries_[static_cast<size_t>(it - entries_.begin())].second = value;
    }
}

void Attributes::erase(std::string_view name) {
    const auto it = find(name);
    if (it != entries_.end()) {
        entries_.erase(it);
    }
}

std::optional<int> Attributes::trackNumber() const {
    if (const auto n = leadingNumber(get(attr::kTrackNumber)); n && *n > 0) {
        return n;
    }
    if (const auto n = leadingNumber(get(attr::kTrack)); n && *n >= 0) {
        return *n + 1;
    }
    return std::nullopt;
}

}  // namespace platform::wma
