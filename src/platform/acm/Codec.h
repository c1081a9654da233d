#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/acm/AcmTypes.h"

namespace platform::acm {

// What one convert call did.
struct Conversion {
    Result result = kOk;
    size_t consumed = 0;  // source bytes taken
    size_t produced = 0;  // destination bytes written
};

// The state of one open conversion between two formats. Used from one
// thread at a time.
class Converter {
  public:
    virtual ~Converter() = default;
    // Destination bytes one call can produce from `sourceBytes` (an upper
    // bound, including what kConvertEnd may flush).
    virtual size_t destinationSize(size_t sourceBytes) const = 0;
    // Source bytes that produce at most `destinationBytes`.
    virtual size_t sourceSize(size_t destinationBytes) const = 0;
    // Back to the state of a fresh stream.
    virtual void reset() = 0;
    // Converts under the kConvert* flags (kConvertStart is handled by the
    // caller through reset()). Never writes past `destination`.
    virtual Conversion convert(std::span<const uint8_t> source, std::span<uint8_t> destination,
                               uint32_t flags) = 0;
};

// A codec: the format tags it knows, their formats and texts, and the
// conversions it can open. Implementations are immutable after construction
// and safe to share between threads; per-stream state lives in Converter.
class Codec {
  public:
    virtual ~Codec() = default;
    // The tags offered for choice, in the order they are listed.
    virtual std::vector<FormatTagDetails> formatTags() const = 0;
    // The name of a tag this codec understands (also tags it does not list).
    virtual std::optional<FormatTagDetails> formatTagDetails(uint16_t tag) const = 0;
    // The standard formats of a listed tag.
    virtual std::vector<WaveFormat> formats(uint16_t tag) const = 0;
    // The text of one format; nothing when the codec does not know it.
    virtual std::optional<std::string> formatText(const WaveFormat& format) const = 0;
    // A format `source` converts to (or from) that `filter` admits.
    virtual std::optional<WaveFormat> suggest(const WaveFormat& source,
                                              const SuggestFilter& filter) const = 0;
    // A conversion from `source` to `destination`, or null when this codec
    // cannot do it.
    virtual std::unique_ptr<Converter> open(const WaveFormat& source,
                                            const WaveFormat& destination) const = 0;
};

}  // namespace platform::acm
