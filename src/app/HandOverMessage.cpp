#include "app/HandOverMessage.h"

namespace app {

namespace {

void appendLength(std::string& out, size_t length) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((length >> shift) & 0xff);
    }
}

// Takes a length and that many bytes from the front of `rest`.
std::optional<std::string_view> takeField(std::string_view& rest, size_t limit) {
    if (rest.size() < 4) {
        return std::nullopt;
    }
    size_t length = 0;
    for (int i = 0; i < 4; ++i) {
        length |= static_cast<size_t>(static_cast<uint8_t>(rest[i])) << (8 * i);
    }
    rest.remove_prefix(4);
    if (length > limit || length > rest.size()) {
        return std::nullopt;
    }
    const std::string_view field = rest.substr(0, length);
    rest.remove_prefix(length);
    return field;
}

}  // namespace

std::string encodePathList(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list += path;
        list += '\0';
    }
    list += '\0';
    return list;
}

std::optional<std::vector<std::string>> decodePathList(std::string_view list) {
    std::vector<std::string> paths;
    while (!list.empty()) {
        const size_t end = list.find('\0');
        if (end == std::string_view::npos) {
            return std::nullopt;  // the last path lacks its zero
        }
        if (end == 0) {
            return list.size() == 1 ? std::optional(paths) : std::nullopt;
        }
        paths.emplace_back(list.substr(0, end));
        list.remove_prefix(end + 1);
    }
    return std::nullopt;  // no zero after the last path
}

std::string HandOverMessage::encode() const {
    const std::string list = encodePathList(files);
    std::string bytes(1, static_cast<char>(kVersion));
    appendLength(bytes, list.size());
    bytes += list;
    appendLength(bytes, activationToken.size());
    bytes += activationToken;
    return bytes;
}

std::optional<HandOverMessage> HandOverMessage::decode(std::string_view bytes) {
    if (bytes.empty() || static_cast<uint8_t>(bytes[0]) != kVersion) {
        return std::nullopt;
    }
    bytes.remove_prefix(1);
    const auto list = takeField(bytes, kMaxListBytes);
    const auto token = list ? takeField(bytes, kMaxTokenBytes) : std::nullopt;
    if (!token || !bytes.empty() || token->find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    auto files = decodePathList(*list);
    if (!files) {
        return std::nullopt;
    }
    for (const std::string& file : *files) {
        if (file.front() != '/') {
            return std::nullopt;  // the sender's folder is unknown here
        }
    }
    return HandOverMessage{std::move(*files), std::string(*token)};
}

}  // namespace app
