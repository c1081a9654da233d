#pragma once

namespace mp3::acm {

// Makes the compression layer's current registry the standard codecs plus
// MPEG Layer-3. Called once at program start, before any conversion.
void registerMp3Codec();

}  // namespace mp3::acm
