#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Settings of the program and its components, under the product key
// joined with a subkey (platform::productSubkey). Reads take the user's
// value, else the machine's, else the default; writes go to the user's
// settings only.
namespace nxss {

uint32_t ReadDword(std::string_view subkey, std::string_view name, uint32_t defaultValue);
bool WriteDword(std::string_view subkey, std::string_view name, uint32_t value);
// The text (REG_SZ only), or the default when missing.
std::string ReadString(std::string_view subkey, std::string_view name,
                       std::string_view defaultValue);
// With no text, deletes the value.
bool WriteString(std::string_view subkey, std::string_view name, const std::string* text);
// The stored bytes; empty when missing.
std::vector<uint8_t> ReadBinary(std::string_view subkey, std::string_view name);
// With no data, deletes the value.
bool WriteBinary(std::string_view subkey, std::string_view name, const std::vector<uint8_t>* data);

}  // namespace nxss
