#include "platform/acm/CodecRegistry.h"

#include <algorithm>
#include <mutex>

#include "platform/acm/G711Codec.h"
#include "platform/acm/ImaAdpcmCodec.h"
#include "platform/acm/MsAdpcmCodec.h"
#include "platform/acm/PcmCodec.h"

namespace platform::acm {

namespace {

struct CurrentRegistry {
    std::mutex lock;
    std::shared_ptr<const CodecRegistry> registry;
};

CurrentRegistry& currentRegistry() {
    static CurrentRegistry instance;
    return instance;
}

}  // namespace

CodecRegistry CodecRegistry::standard() {
    CodecRegistry r;
    r.add(std::make_shared<PcmCodec>());
    r.add(std::make_shared<ImaAdpcmCodec>());
    r.add(std::make_shared<MsAdpcmCodec>());
    r.add(std::make_shared<G711Codec>(G711Codec::Law::A));
    r.add(std::make_shared<G711Codec>(G711Codec::Law::Mu));
    return r;
}

std::shared_ptr<const CodecRegistry> CodecRegistry::current() {
    auto& c = currentRegistry();
    std::lock_guard guard(c.lock);
    if (!c.registry) {
        c.registry = std::make_shared<const CodecRegistry>(standard());
    }
    return c.registry;
}

void CodecRegistry::setCurrent(std::shared_ptr<const CodecRegistry> registry) {
    auto& c = currentRegistry();
    std::lock_guard guard(c.lock);
    c.registry = std::move(registry);
}

void CodecRegistry::add(std::shared_ptr<const Codec> codec) {
    codecs_.push_back(std::move(codec));
}

size_t CodecRegistry::maxFormatSize() const {
    size_t largest = WaveFormat::kHeaderSize;
    for (const auto& tag : formatTags()) {
        largest = std::max(largest, tag.formatSize);
    }
    return largest;
}

std::vector<FormatTagDetails> CodecRegistry::formatTags() const {
    std::vector<FormatTagDetails> all;
    for (const auto& codec : codecs_) {
        for (auto& tag : codec->formatTags()) {
            const bool listed = std::any_of(all.begin(), all.end(),
                                            [&](const auto& t) { return t.tag == tag.tag; });
            if (!listed) {
                all.push_back(std::move(tag));
            }
        }
    }
    return all;
}

std::optional<FormatTagDetails> CodecRegistry::formatTagDetails(uint16_t tag) const {
    for (const auto& codec : codecs_) {
        if (auto details = codec->formatTagDetails(tag)) {
            return details;
        }
    }
    return std::nullopt;
}

std::vector<FormatDetails> CodecRegistry::formats(uint16_t tag) const {
    for (const auto& codec : codecs_) {
        auto formats = codec->formats(tag);
        if (formats.empty()) {
            continue;
        }
        std::vector<FormatDetails> listed;
        for (auto& f : formats) {
            auto text = codec->formatText(f);
            listed.push_back({std::move(f), text.value_or(std::string())});
        }
        return listed;
    }
    return {};
}

std::optional<std::string> CodecRegistry::formatText(const WaveFormat& format) const {
    for (const auto& codec : codecs_) {
        if (auto text = codec->formatText(format)) {
            return text;
        }
    }
    return std::nullopt;
}

std::optional<WaveFormat> CodecRegistry::suggest(const WaveFormat& source,
                                                 const SuggestFilter& filter) const {
    for (const auto& codec : codecs_) {
        if (auto f = codec->suggest(source, filter)) {
            return f;
        }
    }
    return std::nullopt;
}

std::unique_ptr<Converter> CodecRegistry::open(const WaveFormat& source,
                                               const WaveFormat& destination) const {
    for (const auto& codec : codecs_) {
        if (auto converter = codec->open(source, destination)) {
            return converter;
        }
    }
    return nullptr;
}

}  // namespace platform::acm
