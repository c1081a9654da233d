#pragma once

#include <cstdint>
#include <string_view>

// Every setting of the program by section, name and default. Defaults that
// depend on where the program or the user's folders are (SkinPath,
// DefaultMdbPath, DefaultMusicPath, CDDBServer, CdrCommand) are worked out
// by their owners; their entries carry no default here.
namespace app::settings {

inline constexpr std::string_view kSection = "Settings";
inline constexpr std::string_view kCddbSection = "CDDB";

struct Int {
    std::string_view section;
    std::string_view name;
    int32_t defaultValue;
};

struct Text {
    std::string_view section;
    std::string_view name;
    std::string_view defaultValue;
};

// Main window
inline constexpr Int kWindowState{kSection, "WindowState", 0};  // 0 normal, 1 wide, 2 mini
inline constexpr Int kAlwaysOnTop{kSection, "AlwaysOnTop", 0};
inline constexpr Text kPosition{kSection, "Position", ""};
inline constexpr Text kHomePage{kSection, "HomePage", ""};
inline constexpr Text kSkinPath{kSection, "SkinPath", ""};

// Player
inline constexpr Int kCounterMode{kSection, "CounterMode", 0};      // 0 elapsed, 1 remaining
inline constexpr Int kControlActive{kSection, "ControlActive", 0};  // 0 list panel, 1 recording
inline constexpr Int kVolume{kSection, "Volume", 50};               // percent
inline constexpr Int kShuffleMode{kSection, "ShuffleMode", 0};
inline constexpr Int kRepeatMode{kSection, "RepeatMode", 0};  // 0 off, 1 one, 2 all
inline constexpr Int kInsertBlank{kSection, "InsertBlank", 0};
inline constexpr Int kBlankTime{kSection, "BlankTime", 30};  // tenths of a second
// 0 off, 1 track, 2 album; the pre-amp in tenths of a dB, -150..150
inline constexpr Int kReplayGain{kSection, "ReplayGain", 0};
inline constexpr Int kReplayGainPreamp{kSection, "ReplayGainPreamp", 0};

// Equalizer
inline constexpr Text kEqualizerPosition{kSection, "EqualizerPosition", ""};
inline constexpr Int kEqualizerAttach{kSection, "Equalizer_Attach", 2};
inline constexpr Text kEqualizerLevel{kSection, "Equalizer_Level", "0,0,0,0,0,0,0,0,0,0"};
inline constexpr Int kEqualizerGain{kSection, "Equalizer_Gain", 0};
inline constexpr Int kEqualizerPreset{kSection, "Equalizer_Preset", 0};
inline constexpr Int kEqualizerBypass{kSection, "Equalizer_Bypass", 0};

// Recording
inline constexpr Text kRecordPosition{kSection, "RecordPosition", ""};
inline constexpr Int kFileNameType1{kSection, "FileNameType1", 2};
inline constexpr Int kFileNameType2{kSection, "FileNameType2", 4};
inline constexpr Int kFileNameType3{kSection, "FileNameType3", 4};
inline constexpr Int kFileNameType4{kSection, "FileNameType4", 4};
inline constexpr Int kDirNameType{kSection, "DirNameType", 1};
inline constexpr Text kDefaultMusicPath{kSection, "DefaultMusicPath", ""};
inline constexpr Text kCdDrive{kSection, "CDDrive", ""};
inline constexpr Int kCurrentWriter{kSection, "CurrentWriter", 14};  // 14 MP3, 15 WAVE, 16 WMA
inline constexpr Text kRecordItemPosition{
    kSection, "RecordItemPosition",
    "(1,32)(2,24)(3,24)(4,220)(5,80)(6,40)(7,40)(8,120)(9,100)(10,100)"};
inline constexpr Text kSourceFilePath{kSection, "SourceFilePath", ""};
inline constexpr Int kSourceFileType{kSection, "SourceFileType", 2};

// Library and list/edit panel
inline constexpr Text kDefaultMdbPath{kSection, "DefaultMdbPath", ""};
inline constexpr Text kPlaylistPosition{kSection, "PlaylistPosition", ""};
inline constexpr Int kSearchMask{kSection, "SearchMask", 0};
inline constexpr Text kLibraryItemPosition{
    kSection, "LibraryItemPosition", "(1,24)(2,100)(3,100)(4,100)(5,60)(6,32)(7,40)(8,40)(9,40)"};
inline constexpr Text kPlaylistItemPosition{
    kSection, "PlaylistItemPosition", "(1,24)(2,100)(3,100)(4,100)(5,60)(6,32)(7,40)(8,40)(9,40)"};
inline constexpr Text kLibraryPoints{kSection, "LibraryPoints", ""};
inline constexpr Int kLibraryShowMode{kSection, "LibraryShowMode", 0};
inline constexpr Text kCurrentLibraryName{kSection, "CurrentLibraryName", ""};
inline constexpr Text kCurrentPlaylistName{kSection, "CurrentPlaylistName", ""};
inline constexpr Text kInputFilePath{kSection, "InputFilePath", ""};
inline constexpr Int kInputFileType{kSection, "InputFileType", 0};
inline constexpr Int kInportType{kSection, "InportType", 0};
inline constexpr Text kExportFilePath{kSection, "ExportFilePath", ""};
// The CD writing program's command line, %s the playlist file.
inline constexpr Text kCdrCommand{kSection, "CdrCommand", ""};

// CD information
inline constexpr Int kCddbEnable{kCddbSection, "CDDBEnable", 0};
inline constexpr Text kMailAdres{kCddbSection, "MailAdres", ""};
inline constexpr Text kCddbServer{kCddbSection, "CDDBServer", ""};
inline constexpr Text kCddbServers{kCddbSection, "CDDBServers", ""};

}  // namespace app::settings
