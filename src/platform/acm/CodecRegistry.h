#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/acm/AcmTypes.h"
#include "platform/acm/Codec.h"

namespace platform::acm {

// The installed codecs and the queries the compression layer answers over
// them: tags and their names, formats per tag with texts, suggestions, and
// opening conversions (through Stream). Codecs are asked in the order they
// were added; the first that answers wins.
//
// A codec that lives in a higher layer (the MPEG Layer-3 codec) plugs in
// by implementing Codec and being added at start-up, before the registry
// is made current. Once shared, a registry is only read.
class CodecRegistry {
  public:
    // PCM (bits, channels, rate), IMA ADPCM, MS ADPCM, A-law, µ-law.
    static CodecRegistry standard();

    // The registry the program converts with: the one given to setCurrent(),
    // else the standard codecs.
    static std::shared_ptr<const CodecRegistry> current();
    static void setCurrent(std::shared_ptr<const CodecRegistry> registry);

    void add(std::shared_ptr<const Codec> codec);

    // Bytes of the largest format record any codec uses.
    size_t maxFormatSize() const;
    std::vector<FormatTagDetails> formatTags() const;
    std::optional<FormatTagDetails> formatTagDetails(uint16_t tag) const;
    std::vector<FormatDetails> formats(uint16_t tag) const;
    std::optional<std::string> formatText(const WaveFormat& format) const;
    std::optional<WaveFormat> suggest(const WaveFormat& source, const SuggestFilter& filter) const;
    std::unique_ptr<Converter> open(const WaveFormat& source, const WaveFormat& destination) const;

  private:
    std::vector<std::shared_ptr<const Codec>> codecs_;
};

}  // namespace platform::acm
