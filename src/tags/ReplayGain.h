#pragma once

#include <optional>
#include <string>

// The loudness a tagger measured for a file, for the player to even out
// the levels of tracks and albums.
namespace tags {

// Gains in dB towards the ReplayGain reference (-18 LUFS); peaks as sample
// amplitudes, 1.0 full scale. A value the file lacks or holds as
// something else than a number is empty.
struct ReplayGain {
    std::optional<double> trackGainDb, trackPeak, albumGainDb, albumPeak;
};

// From the ID3v2 TXXX frames and APEv2 items of an MP3 file, Xiph comments
// (for Opus R128 gains first), MP4 freeform atoms and, for the other
// formats, the fields TagLib gives for every format. Reads the tags only,
// in one opening; all empty when the file cannot be read.
ReplayGain readReplayGain(const std::string& path);

}  // namespace tags
