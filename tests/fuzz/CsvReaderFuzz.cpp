// libFuzzer target: arbitrary text as a library CSV file, read as paths and as records.
#include "PlaylistReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mdbfuzz::readAll(mdb::kFormatLibraryCsv, data, size);
    return 0;
}
