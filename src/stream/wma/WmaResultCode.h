#pragma once

#include <cstdint>
#include <string>

#include "platform/wma/OutputFormats.h"
#include "platform/wma/WmaError.h"

// How failures of the WMA layer reach the framework's callers.
namespace nxss {

// The result code: protected files 0x83EA000E (content encryption),
// 0x83EA000F (licence per user) and 0x83EA0010 (other rights management);
// files that cannot be decoded 0x83EA000D; a format the encoder cannot
// produce 0x83EA0007; file failures in the 0x83EB facility.
uint32_t wmaResultCode(const platform::wma::Error& error);

// Words for the user that the code's text lacks: the missing codec's name,
// or the module's path and why it cannot be loaded, the encoder's reason
// for refusing a format, else the layer's detail.
std::string wmaFailureText(const platform::wma::Error& error);

// Whether the encoder writes the settings; a module that cannot be loaded
// refuses every format, with its failure text as the reason.
platform::wma::OutputSupport wmaOutputSupport(const platform::wma::OutputSettings& settings);

}  // namespace nxss
