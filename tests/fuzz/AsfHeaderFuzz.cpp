// libFuzzer target: the ASF header object read by our own code (object
// lists, the play length, the marks of protected content) on arbitrary
// bytes as a file. Object lists stay inside their bytes, the header read
// from the file is the file's first bytes and holds what the scan of the
// whole file finds, and a play length written into the file reads back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "FuzzRequire.h"
#include "MemoryFile.h"
#include "platform/wma/AsfHeader.h"
#include "platform/wma/AsfProtection.h"

namespace asf = platform::wma::asf;

namespace {

// Prerolls above this would overflow the 100 ns play length.
constexpr uint64_t kMaxCheckedPrerollMs = uint64_t{1} << 40;
constexpr size_t kPrerollAt = 80;

void checkObjects(std::span<const uint8_t> bytes, size_t at) {
    for (const asf::ObjectSpan& o : asf::childObjects(bytes, at)) {
        require(o.offset == at && o.size >= asf::kObjectHeaderSize);
        require(o.size <= bytes.size() - o.offset);
        at += o.size;
    }
}

std::vector<asf::ObjectSpan> fileProperties(std::span<const uint8_t> header) {
    std::vector<asf::ObjectSpan> found;
    for (const asf::ObjectSpan& o : asf::childObjects(header, asf::kHeaderChildrenAt)) {
        if (o.size >= kPrerollAt + 8) {
            found.push_back(o);
        }
    }
    return found;
}

// Writing a play length, then reading it, gives the length written.
void checkDurationRoundTrip(const fuzz::MemoryFile& file, std::span<const uint8_t> header,
                            uint64_t duration) {
    for (const asf::ObjectSpan& o : fileProperties(header)) {
        if (asf::readU64(header, o.offset + kPrerollAt) > kMaxCheckedPrerollMs) {
            return;
        }
    }
    if (asf::setPlayDuration(file.path(), duration)) {
        require(asf::playDuration(asf::readHeaderObject(file.path())) == duration);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    checkObjects(bytes, 0);
    checkObjects(bytes, asf::kHeaderChildrenAt);
    asf::playDuration(bytes);
    platform::wma::scanAsfProtection(bytes);

    const fuzz::MemoryFile file(data, size);
    if (!file.ok()) {
        return 0;
    }
    const std::vector<uint8_t> header = asf::readHeaderObject(file.path());
    require(header.size() <= size && std::equal(header.begin(), header.end(), data));
    require(platform::wma::scanAsfProtection(header) == platform::wma::scanAsfProtection(bytes));
    if (!header.empty()) {
        checkDurationRoundTrip(file, header, 1 + size);
    }
    return 0;
}
