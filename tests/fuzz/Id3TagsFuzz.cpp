// libFuzzer target: the ID3 tags around an MP3 file's audio. A leading
// ID3v2 tag is skipped and a trailing ID3v1 block cut off whatever their
// bytes claim; the block's fields read as UTF-8 and, once written back,
// read the same again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzRequire.h"
#include "MemoryFile.h"
#include "mp3/reader/CNxSSMp3File.h"
#include "stream/CNxSSException.h"
#include "stream/Id3v1Block.h"
#include "stream/NxRef.h"

namespace {

void checkWindow(const CNxSSMp3File& file, size_t size) {
    require(file.FileSize() == size);
    require(file.DataStart() <= size && file.DataSize() <= size - file.DataStart());
}

// Reading a field and writing it back settles after one round: the second
// round gives the bytes of the first.
void checkBlock(const Id3v1Block& read) {
    Id3v1Block once;
    once.SetTitle(read.Title());
    once.SetArtist(read.Artist());
    once.SetAlbum(read.Album());
    once.SetYear(read.Year());
    once.SetComment(read.Comment(), read.Track());
    once.SetGenre(read.Genre());
    Id3v1Block twice;
    twice.SetTitle(once.Title());
    twice.SetArtist(once.Artist());
    twice.SetAlbum(once.Album());
    twice.SetYear(once.Year());
    twice.SetComment(once.Comment(), once.Track());
    twice.SetGenre(once.Genre());
    require(once.Bytes() == twice.Bytes());
    require(Id3v1Block::IsTag(once.Bytes()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::MemoryFile memory(data, size);
    if (!memory.ok()) {
        return 0;
    }
    try {
        const auto file = MakeNx<CNxSSMp3File>(memory.path());
        file->Open(CNxSSMp3File::kRead);
        checkWindow(*file, size);
        require(file->Tell() == 0);
        if (const auto tag = file->ReadTag()) {
            require(Id3v1Block::IsTag(*tag));
            checkBlock(Id3v1Block(*tag));
        }
        const auto windowed =
            MakeNx<CNxSSMp3File>(memory.path(), CNxSSMp3File::Window{size / 3, size});
        windowed->Open(CNxSSMp3File::kRead);
        checkWindow(*windowed, size);
        require(!windowed->ReadTag());
    } catch (const CNxSSException&) {
        std::abort();  // an in-memory file always opens
    }
    return 0;
}
