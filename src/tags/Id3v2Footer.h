#pragma once

#include <optional>
#include <string>

// TagLib 1.13 takes an ID3v2.4 footer out of the tag's size, which already
// leaves it out, and so loses the tag's last frame. Turning the footer into
// ten bytes of padding keeps every frame and means the same to all readers.
namespace tags {

// The file's leading tag with its footer turned into padding; nothing when
// the file's tag has no footer.
std::optional<std::string> tagWithFooterAsPadding(const std::string& path);

// The same change made in the file; false when it could not be written.
bool turnFooterIntoPadding(const std::string& path);

}  // namespace tags
