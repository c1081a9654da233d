// libFuzzer target: the RIFF chunk scan and the WAVE reader behind it on
// arbitrary file contents. The input becomes an anonymous in-memory file
// that is opened through its /proc path like any other file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "stream/CNxSSException.h"
#include "stream/CNxSSPacket.h"
#include "stream/wave/CNxSSRiffFile.h"
#include "stream/wave/CNxSSWaveReader.h"

namespace {

constexpr int kMaxPackets = 64;

void Decode(CNxSSRiffFile& file) {
    auto reader = MakeNx<CNxSSWaveReader>(nullptr);
    reader->Open(NxRef<CNxSSRiffFile>(&file));
    platform::WaveFormat format;
    reader->GetFormat(format);
    auto packet = MakeNx<CNxSSPacket>(nullptr);
    packet->Allocate(format, 1024);
    reader->GetLength();
    for (int i = 0; i < kMaxPackets; ++i) {
        reader->Read(*packet);
        if (packet->EndOfStream()) {
            break;
        }
        if (i == kMaxPackets / 2) {
            reader->SetPosition(1000);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = memfd_create("riff", MFD_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
    if (written) {
        auto file = MakeNx<CNxSSRiffFile>(nullptr, "/proc/self/fd/" + std::to_string(fd));
        try {
            file->Open(CNxSSRiffFile::kRead);
            Decode(*file);
        } catch (const CNxSSException&) {
            // Refusing bad input is the expected outcome.
        }
    }
    ::close(fd);
    return 0;
}
