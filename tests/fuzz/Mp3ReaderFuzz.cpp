// libFuzzer target: arbitrary bytes as an MP3 file through the reader the
// players use: tag skipping, sync, analysis, decoding, a seek and the tag.
// The first byte picks the decoder's options and the seek position.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "MemoryFile.h"
#include "mp3/reader/CNxSSMp3Reader.h"
#include "stream/CNxSSException.h"
#include "stream/NxRef.h"

namespace {

constexpr int kMaxReads = 32;

void readSome(CNxSSMp3Reader& reader, std::vector<uint8_t>& pcm) {
    for (int i = 0; i < kMaxReads && reader.ReadPcm(pcm.data(), pcm.size()) == pcm.size(); ++i) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t pick = data[0];
    const fuzz::MemoryFile memory(data + 1, size - 1);
    if (!memory.ok()) {
        return 0;
    }
    const CNxSSMp3Reader::Options options{pick & 1, (pick >> 1) & 3, (pick >> 3) & 1,
                                          (pick & 0x10) != 0};
    try {
        const auto reader = MakeNx<CNxSSMp3Reader>(nullptr, options);
        reader->Open(memory.path());
        std::vector<uint8_t> pcm(CNxSSMp3Reader::kPcmBytes);
        readSome(*reader, pcm);
        reader->InfoRecord();
        reader->SetPosition(static_cast<int32_t>(int64_t{reader->GetLength()} * (pick >> 5) / 7));
        readSome(*reader, pcm);
        reader->Tag();
        reader->LongTitle();
    } catch (const CNxSSException&) {
        // Refusing a file that holds no playable stream is the expected outcome.
    }
    return 0;
}
