#pragma once

#include <cstdint>
#include <string>

// The Japanese message text for a result code, as message boxes show it.
std::string GetErrorText(uint32_t code);
