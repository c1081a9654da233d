#include <gtest/gtest.h>

#include "WmaTestSupport.h"
#include "platform/wma/AsfGuid.h"
#include "platform/wma/AsfHeader.h"
#include "platform/wma/AsfProtection.h"
#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/WmaModule.h"
#include "platform/wma/WmaReader.h"

namespace {

using namespace platform::wma;

// A plausible content-encryption payload: secret data, protection type
// "DRM", key id, licence URL, each with its 32-bit length.
std::vector<uint8_t> encryptionPayload() {
    std::vector<uint8_t> p;
    auto field = [&p](std::string_view text) {
        const auto n = static_cast<uint32_t>(text.size() + 1);
        for (int i = 0; i < 4; ++i) {
            p.push_back(static_cast<uint8_t>(n >> (8 * i)));
        }
        p.insert(p.end(), text.begin(), text.end());
        p.push_back(0);
    };
    field("secret");
    field("DRM");
    field("key-id");
    field("http://licence.invalid/");
    return p;
}

std::vector<uint8_t> object(const AsfGuid& guid, std::vector<uint8_t> payload) {
    std::vector<uint8_t> o(guid.begin(), guid.end());
    o.resize(asf::kObjectHeaderSize);
    asf::writeU64(o, 16, o.size() + payload.size());
    o.insert(o.end(), payload.begin(), payload.end());
    return o;
}

// A header object holding `children`.
std::vector<uint8_t> header(const std::vector<std::vector<uint8_t>>& children) {
    std::vector<uint8_t> payload(asf::kHeaderChildrenAt - asf::kObjectHeaderSize);
    payload[0] = static_cast<uint8_t>(children.size());
    for (const auto& c : children) {
        payload.insert(payload.end(), c.begin(), c.end());
    }
    return object(asf::kHeader, payload);
}

std::vector<uint8_t> headerExtension(const std::vector<uint8_t>& child) {
    std::vector<uint8_t> payload(asf::kExtensionChildrenAt - asf::kObjectHeaderSize);
    payload.insert(payload.end(), child.begin(), child.end());
    return object(asf::kHeaderExtension, payload);
}

class ProtectedFile : public testing::Test {
  protected:
    void SetUp() override {
        Attributes tags;
        tags.set(attr::kTitle, "T");
        wmatest::writeWma(path_, wmatest::tone(44100, 2, 44100, 0), OutputSettings{}, tags);
    }
    const wmatest::TempDir dir_;
    const std::filesystem::path path_ = dir_ / "p.wma";
};

TEST_F(ProtectedFile, AWrittenFileIsNotProtectedAndExtendedEncryptionIsTold) {
    EXPECT_EQ(detectAsfProtection(path_), Protection::None);
    wmatest::insertHeaderObject(path_, asf::kExtendedContentEncryption,
                                std::vector<uint8_t>{1, 2, 3, 4});
    EXPECT_EQ(detectAsfProtection(path_), Protection::ExtendedContentEncryption);
    // Both objects, as licensed files of that era carry: the older names it.
    wmatest::insertHeaderObject(path_, asf::kContentEncryption, encryptionPayload());
    EXPECT_EQ(detectAsfProtection(path_), Protection::ContentEncryption);
}

// Refused before anything is decoded, by every entry point, and never
// rewritten.
TEST_F(ProtectedFile, ContentEncryptionObjectIsRefusedEverywhere) {
    wmatest::insertHeaderObject(path_, asf::kContentEncryption, encryptionPayload());
    const auto before = wmatest::readBytes(path_);
    EXPECT_EQ(detectAsfProtection(path_), Protection::ContentEncryption);
    auto expectRefused = [](auto&& open) {
        try {
            open();
            FAIL() << "a protected file was opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::Protected);
            EXPECT_EQ(e.protection(), Protection::ContentEncryption);
        }
    };
    expectRefused([&] { wmaCodec().openDecoder(path_); });
    expectRefused([&] {
        WmaReader r(
            path_, [](auto) { return true; }, [](auto, auto&) {});
    });
    expectRefused([&] { wmaCodec().rewriteAttributes(path_, Attributes{}); });
    EXPECT_EQ(wmatest::readBytes(path_), before);
    EXPECT_EQ(dir_.names().size(), 1u);
}

TEST_F(ProtectedFile, StreamFlaggedAsEncryptedIsTold) {
    std::vector<uint8_t> bytes = wmatest::readBytes(path_);
    const size_t at = wmatest::findGuid(bytes, asf::kStreamProperties);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 73] |= 0x80;  // high byte of the flags: encrypted content
    wmatest::writeBytes(path_, bytes);
    EXPECT_EQ(detectAsfProtection(path_), Protection::OtherRightsManagement);
}

TEST(AsfProtectionScan, ObjectsInsideTheHeaderExtension) {
    const auto advanced = object(asf::kAdvancedContentEncryption, {0, 0});
    const auto system = object(asf::kProtectionSystemIdentifier, {1});
    EXPECT_EQ(scanAsfProtection(header({headerExtension(advanced)})),
              Protection::OtherRightsManagement);
    EXPECT_EQ(scanAsfProtection(header({headerExtension(system)})),
              Protection::OtherRightsManagement);
    EXPECT_EQ(scanAsfProtection(header({headerExtension(object(asf::kFileProperties, {}))})),
              Protection::None);
}

// Damaged headers are read as far as they go, never past their end.
TEST(AsfProtectionScan, DamagedHeadersAreSafe) {
    const auto good = header({object(asf::kFileProperties, std::vector<uint8_t>(80)),
                              object(asf::kContentEncryption, encryptionPayload())});
    EXPECT_EQ(scanAsfProtection(good), Protection::ContentEncryption);
    for (size_t cut = 0; cut < good.size(); ++cut) {
        const auto result = scanAsfProtection(std::span(good).first(cut));
        EXPECT_EQ(result, Protection::None) << cut;
    }
    auto huge = good;
    asf::writeU64(huge, asf::kHeaderChildrenAt + 16, UINT64_MAX);  // first child's size
    EXPECT_EQ(scanAsfProtection(huge), Protection::None);
    auto zero = good;
    asf::writeU64(zero, asf::kHeaderChildrenAt + 16, 0);
    EXPECT_EQ(scanAsfProtection(zero), Protection::None);
    auto bogusExtension = header({headerExtension(object(asf::kContentEncryption, {}))});
    asf::writeU64(bogusExtension, asf::kHeaderChildrenAt + asf::kExtensionChildrenAt + 16,
                  1u << 20);
    EXPECT_EQ(scanAsfProtection(bogusExtension), Protection::None);
    EXPECT_EQ(scanAsfProtection(std::vector<uint8_t>(100, 0xFF)), Protection::None);
}

// A header size is read from the file: a short file claiming a large
// header gives what it holds and costs no more memory than that.
TEST(AsfHeaderRead, AClaimedSizeCostsOnlyWhatTheFileHolds) {
    const wmatest::TempDir dir;
    const auto path = dir / "claim.wma";
    auto bytes = header({object(asf::kFileProperties, std::vector<uint8_t>(80))});
    asf::writeU64(bytes, 16, 15 << 20);
    wmatest::writeBytes(path, bytes);
    const std::vector<uint8_t> read = asf::readHeaderObject(path);
    EXPECT_EQ(read, bytes);
    EXPECT_LT(read.capacity(), size_t{1} << 20);
}

}  // namespace
