#include "FuzzReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mdbfuzz::readAll(mdb::kFormatLibraryCsv, data, size);
    return 0;
}
