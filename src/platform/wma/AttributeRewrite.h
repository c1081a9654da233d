#pragma once

#include <filesystem>

#include "platform/wma/Attributes.h"

namespace platform::wma {

// Gives a WMA file exactly the attributes `attributes` (read the present
// ones with WmaReader/WmaDecoder, change them, pass them all). The file is
// copied into a temporary file in its folder with the audio packets as they
// are and then moved over it; on any failure the file stays as it was.
// Streams other than the audio (cover pictures, video) are not carried over.
// Throws Error: Protected (never rewritten), OpenFailed, NotWma, NoAudio,
// WriteFailed, OutOfMemory.
void rewriteAttributes(const std::filesystem::path& path, const Attributes& attributes);

}  // namespace platform::wma
