// libFuzzer target: the ID3v2 and APE tags of an MP3 file through TagLib.
// Every field reads as UTF-8 within its range; an edit of a file with a tag
// is either refused or read back as written, and never grows the file by
// more than the edited text could.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "MemoryFile.h"
#include "platform/TextCodec.h"
#include "tags/ExtendedTags.h"

namespace {

#define require(condition) check(condition, #condition)

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "failed: %s\n", what);
        std::abort();
    }
}

void checkFields(const tags::ExtendedTags& read) {
    const tags::TagFields& f = read.fields;
    for (const std::string* text : {&f.title, &f.artist, &f.album, &f.comment}) {
        require(platform::isValidUtf8(*text));
    }
    require(f.year >= 0 && f.track >= 0);
    require(f.genre >= 0 && f.genre <= tags::kNoGenre);
    require(read.present() || (f.title.empty() && f.year == 0 && f.genre == tags::kNoGenre));
}

off_t sizeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::MemoryFile memory(data, size);
    if (!memory.ok()) {
        return 0;
    }
    const tags::ExtendedTags before = tags::readExtendedTags(memory.path());
    checkFields(before);
    if (!before.present()) {
        return 0;
    }
    tags::TagEdit edit;
    edit.title = "Fuzz タイトル";
    edit.year = 2001;
    if (!tags::writeExtendedTags(memory.path(), edit)) {
        return 0;
    }
    // The rewritten tags hold at most the new fields, padding and footer
    // beyond what the file held.
    require(sizeOf(memory.path()) <= static_cast<off_t>(size) + 64 * 1024);
    const tags::ExtendedTags after = tags::readExtendedTags(memory.path());
    checkFields(after);
    require(after.present());
    require(after.fields.title == *edit.title && after.fields.year == 2001);
    return 0;
}
