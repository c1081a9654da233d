#pragma once

#include <cstdint>
#include <string>

#include "platform/wma/WmaError.h"

// How failures of the WMA layer reach the framework's callers.
namespace nxss {

// The result code: protected files 0x83EA000E (content encryption),
// 0x83EA000F (licence per user) and 0x83EA0010 (other rights management);
// files that cannot be decoded 0x83EA000D; a format the encoder cannot
// produce 0x83EA0007; file failures in the 0x83EB facility.
uint32_t wmaResultCode(const platform::wma::Error& error);

// Words for the user that the code's text lacks: the missing codec's name,
// the encoder's reason for refusing a format, else the layer's detail.
std::string wmaFailureText(const platform::wma::Error& error);

}  // namespace nxss
