// libFuzzer target for skin bitmaps: any input is decoded or refused without
// a crash, an accepted image holds exactly its pixels, all opaque, and
// reading the bytes as a file gives what decoding them gives.

#include <cstdint>
#include <cstdlib>

#include "FuzzRequire.h"
#include "MemoryFile.h"
#include "ui/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ui::BmpResult result = ui::decodeBmp({data, size});
    if (const fuzz::MemoryFile file(data, size); file.ok()) {
        const ui::BmpResult read = ui::readBmpFile(file.path());
        require(read.ok() == result.ok() && read.image.pixels == result.image.pixels);
    }
    if (!result.ok()) {
        require(result.image.pixels.empty());
        return 0;
    }
    const ui::BmpImage& image = result.image;
    require(image.width > 0 && image.height > 0 &&
            image.pixels.size() == static_cast<size_t>(image.width) * image.height);
    for (const uint32_t pixel : image.pixels) {
        require(pixel >> 24 == 0xFF);
    }
    return 0;
}
