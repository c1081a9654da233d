#include "ui/library/DragPayload.h"

namespace ui::library {

namespace {

class PayloadWriter {
  public:
    void number(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes_.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    void text(std::string_view value) {
        number(static_cast<uint32_t>(value.size()));
        bytes_.append(value);
    }
    void texts(const std::vector<std::string>& values) {
        number(static_cast<uint32_t>(values.size()));
        for (const std::string& value : values) {
            text(value);
        }
    }
    std::string take() { return std::move(bytes_); }

  private:
    std::string bytes_;
};

// Every read fails once the data ran out; done() also asks that nothing is
// left over.
class PayloadReader {
  public:
    explicit PayloadReader(std::string_view bytes) : bytes_(bytes) {}

    std::optional<uint32_t> number() {
        if (bytes_.size() < 4) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes_[i])) << (8 * i);
        }
        bytes_.remove_prefix(4);
        return value;
    }
    std::optional<std::string> text() {
        const auto length = number();
        if (!length || *length > bytes_.size()) {
            return std::nullopt;
        }
        std::string value(bytes_.substr(0, *length));
        bytes_.remove_prefix(*length);
        return value;
    }
    std::optional<std::vector<std::string>> texts() {
        const auto count = number();
        // Each text takes at least its four length bytes.
        if (!count || *count > bytes_.size() / 4) {
            return std::nullopt;
        }
        std::vector<std::string> values;
        values.reserve(*count);
        for (uint32_t i = 0; i < *count; ++i) {
            auto value = text();
            if (!value) {
                return std::nullopt;
            }
            values.push_back(std::move(*value));
        }
        return values;
    }
    std::optional<std::vector<uint32_t>> numbers() {
        const auto count = number();
        if (!count || *count > bytes_.size() / 4) {
            return std::nullopt;
        }
        std::vector<uint32_t> values(*count);
        for (uint32_t& value : values) {
            value = *number();
        }
        return values;
    }
    bool done() const { return bytes_.empty(); }

  private:
    std::string_view bytes_;
};

}  // namespace

std::string encode(const GroupListPayload& payload) {
    PayloadWriter out;
    out.number(payload.showMode);
    out.texts(payload.names);
    return out.take();
}

std::string encode(const PlaylistListPayload& payload) {
    PayloadWriter out;
    out.texts(payload.names);
    return out.take();
}

std::string encode(const ItemListPayload& payload) {
    PayloadWriter out;
    out.texts(payload.paths);
    return out.take();
}

std::string encode(const PlaylistEntriesPayload& payload) {
    PayloadWriter out;
    out.text(payload.playlist);
    out.number(static_cast<uint32_t>(payload.indices.size()));
    for (uint32_t index : payload.indices) {
        out.number(index);
    }
    return out.take();
}

std::optional<GroupListPayload> decodeGroupList(std::string_view bytes) {
    PayloadReader in(bytes);
    const auto mode = in.number();
    auto names = in.texts();
    if (!mode || !names || !in.done()) {
        return std::nullopt;
    }
    return GroupListPayload{*mode, std::move(*names)};
}

std::optional<PlaylistListPayload> decodePlaylistList(std::string_view bytes) {
    PayloadReader in(bytes);
    auto names = in.texts();
    if (!names || !in.done()) {
        return std::nullopt;
    }
    return PlaylistListPayload{std::move(*names)};
}

std::optional<ItemListPayload> decodeItemList(std::string_view bytes) {
    PayloadReader in(bytes);
    auto paths = in.texts();
    if (!paths || !in.done()) {
        return std::nullopt;
    }
    return ItemListPayload{std::move(*paths)};
}

std::optional<PlaylistEntriesPayload> decodePlaylistEntries(std::string_view bytes) {
    PayloadReader in(bytes);
    auto playlist = in.text();
    auto indices = in.numbers();
    if (!playlist || !indices || !in.done()) {
        return std::nullopt;
    }
    return PlaylistEntriesPayload{std::move(*playlist), std::move(*indices)};
}

}  // namespace ui::library
