#include "platform/wma/WmaCodec.h"
#include "platform/wma/av/AttributeRewrite.h"
#include "platform/wma/av/AvAudioDecoder.h"
#include "platform/wma/av/AvWmaWriter.h"
#include "platform/wma/av/OutputCheck.h"

namespace platform::wma {

namespace {

// The codec the module hands out: the media libraries behind the interface.
class AvWmaCodec final : public WmaCodec {
  public:
    std::unique_ptr<WmaDecoder> openDecoder(const std::filesystem::path& path) const override {
        return openAvDecoder(path);
    }
    std::unique_ptr<WmaDecoder> openMediaDecoder(const std::filesystem::path& path) const override {
        return openAvMediaDecoder(path);
    }
    std::unique_ptr<WmaWriter> createWriter(const std::filesystem::path& target,
                                            const WaveFormat& input, const OutputSettings& output,
                                            const Attributes& attributes) const override {
        return createAvWriter(target, input, output, attributes);
    }
    OutputSupport checkOutput(const OutputSettings& settings) const override {
        return platform::wma::checkOutput(settings);
    }
    void rewriteAttributes(const std::filesystem::path& path,
                           const Attributes& attributes) const override {
        platform::wma::rewriteAttributes(path, attributes);
    }
};

}  // namespace

}  // namespace platform::wma

extern "C" const void* melodux_wma_codec(int version) {
    static const platform::wma::AvWmaCodec codec;
    const platform::wma::WmaCodec* answer = &codec;
    return version == platform::wma::kWmaCodecVersion ? answer : nullptr;
}
