#include "platform/wma/AsfProtection.h"

#include <algorithm>

#include "platform/wma/AsfGuid.h"
#include "platform/wma/AsfHeader.h"

namespace platform::wma {

namespace {

constexpr size_t kStreamFlagsAt = 72;  // flags word of the stream properties object
constexpr uint16_t kEncryptedStreamFlag = 0x8000;

struct Marks {
    bool contentEncryption = false;
    bool extendedEncryption = false;
    bool otherRights = false;
};

bool encryptedStream(std::span<const uint8_t> object) {
    if (object.size() < kStreamFlagsAt + 2) {
        return false;
    }
    const unsigned flags = object[kStreamFlagsAt] | object[kStreamFlagsAt + 1] << 8;
    return (flags & kEncryptedStreamFlag) != 0;
}

void scanObjects(std::span<const uint8_t> bytes, size_t at, Marks& marks, bool nested) {
    for (const asf::ObjectSpan& o : asf::childObjects(bytes, at)) {
        const auto object = bytes.subspan(o.offset, o.size);
        if (guidAt(object, 0, asf::kContentEncryption)) {
            marks.contentEncryption = true;
        } else if (guidAt(object, 0, asf::kExtendedContentEncryption)) {
            marks.extendedEncryption = true;
        } else if (guidAt(object, 0, asf::kAdvancedContentEncryption) ||
                   guidAt(object, 0, asf::kProtectionSystemIdentifier)) {
            marks.otherRights = true;
        } else if (guidAt(object, 0, asf::kStreamProperties)) {
            marks.otherRights = marks.otherRights || encryptedStream(object);
        } else if (!nested && guidAt(object, 0, asf::kHeaderExtension)) {
            scanObjects(object, asf::kExtensionChildrenAt, marks, true);
        }
    }
}

}  // namespace

Protection scanAsfProtection(std::span<const uint8_t> header) {
    if (header.size() < asf::kHeaderChildrenAt || !guidAt(header, 0, asf::kHeader)) {
        return Protection::None;
    }
    const uint64_t declared = asf::readU64(header, 16);
    const size_t end = static_cast<size_t>(std::min<uint64_t>(declared, header.size()));
    Marks marks;
    scanObjects(header.first(end), asf::kHeaderChildrenAt, marks, false);
    if (marks.contentEncryption) {
        return Protection::ContentEncryption;
    }
    if (marks.extendedEncryption) {
        return Protection::ExtendedContentEncryption;
    }
    return marks.otherRights ? Protection::OtherRightsManagement : Protection::None;
}

Protection detectAsfProtection(const std::filesystem::path& path) {
    return scanAsfProtection(asf::readHeaderObject(path));
}

}  // namespace platform::wma
