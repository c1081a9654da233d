#pragma once

#include <cstdint>
#include <string>

#include "stream/CNxSSWriterSettings.h"
#include "stream/NxRef.h"

namespace app {

// One row of the recording list: an audio-CD track or a music file to be
// written into a file of the recording format.
struct RecordingEntry {
    enum Status : int {
        kNone = 0,
        kRecording = 1,
        kRecorded = 2,
        kAborted = 3,
        kSettingError = 4,
        kFailed = 5,  // the writing failed; `error` says why
    };
    enum Selection : int { kNotSelected = 0, kSelected = 1, kConfirmed = 2 };
    static constexpr uint32_t kDiscGenre = 255;  // take the disc's genre

    bool cdTrack = false;
    std::string outputPath;
    std::string sourcePath;  // a file's path; empty for a CD track
    int64_t size = 0;        // estimated, then the size written
    int32_t lengthSeconds = 0;
    int status = kNone;
    int selection = kNotSelected;
    bool processed = false;  // in the current run
    int trackIndex = 0;      // from 0, into the disc's tracks
    int trackNumber = 0;     // as the disc numbers it (CD tracks)
    std::string title;
    std::string album;
    std::string artist;
    std::string comment;
    uint32_t genre = kDiscGenre;
    std::string error;
    // The entry's own recording format; null: the panel's.
    NxRef<CNxSSWriterSettings> format;
};

}  // namespace app
