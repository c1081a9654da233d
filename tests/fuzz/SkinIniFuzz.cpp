// libFuzzer target for "Skin.ini": any input is read without a crash, values
// never exceed the reader's buffer, missing keys give the default, and cuts
// land on UTF-8 character boundaries.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzRequire.h"
#include "ui/SkinIni.h"

namespace {

bool continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ui::SkinIni ini = ui::SkinIni::parse(text);
    const std::pair<const char*, const char*> keys[] = {
        {"Generel", "BaseName"}, {"Generel", "MaskColor"},   {"Rect", "ConstRect"},
        {"MinRect", "Play"},     {"Dress_Equ", "MeterInfo"}, {"Display", "Time"}};
    for (const auto& [section, key] : keys) {
        for (const size_t buffer : {ui::SkinIni::kBuffer, ui::SkinIni::kDressBuffer}) {
            const std::string value = ini.value(section, key, "0,0,0,0", buffer);
            require(value.size() < buffer);
            require(ini.has(section, key) || value == "0,0,0,0");
            std::array<int, 7> numbers{};
            require(ui::scanIntegers(value, numbers) <= numbers.size());
        }
    }
    for (const size_t limit : {size_t{0}, size_t{1}, size / 2, ui::SkinIni::kBuffer - 1}) {
        const std::string_view cut = ui::cutUtf8(text, limit);
        require(cut.size() <= limit || cut.size() == text.size());
        require(text.starts_with(cut));
        require(cut.size() == text.size() || cut.empty() || !continuation(text[cut.size()]));
    }
    return 0;
}
