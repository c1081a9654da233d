#pragma once

#include <cstdint>

// 32-bit result codes in the layout of a COM result: bit 31 failure, bits
// 16..28 facility, bits 0..15 code.
namespace nxss {

inline constexpr uint32_t kFailureBit = 0x80000000;
inline constexpr uint32_t kFacilityMask = 0x1FFF0000;

inline constexpr uint32_t kFacilityApp = 0x03E90000;
inline constexpr uint32_t kFacilityFramework = 0x03EA0000;
inline constexpr uint32_t kFacilityMmio = 0x03EB0000;
inline constexpr uint32_t kFacilityMmSystem = 0x03EC0000;
inline constexpr uint32_t kFacilityWaveIn = 0x03ED0000;
inline constexpr uint32_t kFacilityWaveOut = 0x03EE0000;
// Codes made from an errno value of the C library (low 16 bits).
inline constexpr uint32_t kFacilityErrno = 0x00070000;

inline constexpr uint32_t kFail = 0x80004005;
inline constexpr uint32_t kNoInterface = 0x80004002;

// Status notifications posted by active components.
inline constexpr uint32_t kStarted = 0x03EA00C9;
inline constexpr uint32_t kStopped = 0x03EA00CA;
inline constexpr uint32_t kFinished = 0x03EA00CB;
inline constexpr uint32_t kPauseChanged = 0x03EA00CC;
// The renderer plays on from the end of one source into its follow-on.
inline constexpr uint32_t kFollowed = 0x03EA00CD;

// Application codes: the player stopped after the last item (a status),
// a CD track asked to play while recording.
inline constexpr uint32_t kStoppedAtEnd = 0x03E90001;
inline constexpr uint32_t kCdWhileRecording = 0x83E90002;

// Framework errors.
inline constexpr uint32_t kOutOfMemory = 0x83EA0001;
inline constexpr uint32_t kNoPlaybackCodec = 0x83EA0006;
inline constexpr uint32_t kNoEncodeCodec = 0x83EA0007;
inline constexpr uint32_t kUndefined = 0x83EA0008;
inline constexpr uint32_t kInternal = 0x83EA0009;
inline constexpr uint32_t kCdReadError = 0x83EA000A;
inline constexpr uint32_t kNoSuchDrive = 0x83EA000B;
inline constexpr uint32_t kNoDecoder = 0x83EA000D;
inline constexpr uint32_t kProtected = 0x83EA000E;
inline constexpr uint32_t kNoLicense = 0x83EA000F;
inline constexpr uint32_t kProtectedFile = 0x83EA0010;
inline constexpr uint32_t kBadRiff = 0x83EA0011;
inline constexpr uint32_t kNoSoundDevice = 0x83EA0065;
inline constexpr uint32_t kDeviceInUse = 0x83EA0066;
inline constexpr uint32_t kUnsupportedWaveFormat = 0x83EA0067;

// File errors, numbered as the classic multimedia file functions number
// theirs.
inline constexpr uint32_t kFileNotFound = 0x83EB0101;
inline constexpr uint32_t kFileOutOfMemory = 0x83EB0102;
inline constexpr uint32_t kFileCannotOpen = 0x83EB0103;
inline constexpr uint32_t kFileCannotClose = 0x83EB0104;
inline constexpr uint32_t kFileReadFailed = 0x83EB0105;
inline constexpr uint32_t kFileWriteFailed = 0x83EB0106;
inline constexpr uint32_t kFileSeekFailed = 0x83EB0107;
inline constexpr uint32_t kFileCannotExpand = 0x83EB0108;
inline constexpr uint32_t kChunkNotFound = 0x83EB0109;
inline constexpr uint32_t kFileUnbuffered = 0x83EB010A;
inline constexpr uint32_t kPathNotFound = 0x83EB010B;
inline constexpr uint32_t kAccessDenied = 0x83EB010C;
inline constexpr uint32_t kSharingViolation = 0x83EB010D;
inline constexpr uint32_t kNetworkError = 0x83EB010E;
inline constexpr uint32_t kTooManyOpenFiles = 0x83EB010F;
inline constexpr uint32_t kInvalidFileHandle = 0x83EB0110;

// Multimedia system errors (the low word is the system's error number).
inline constexpr uint32_t kMmSystemError = 0x83EC0001;
inline constexpr uint32_t kMmBadDeviceId = 0x83EC0002;
inline constexpr uint32_t kMmNotEnabled = 0x83EC0003;
inline constexpr uint32_t kMmAllocated = 0x83EC0004;
inline constexpr uint32_t kMmInvalidHandle = 0x83EC0005;
inline constexpr uint32_t kMmNoDriver = 0x83EC0006;
inline constexpr uint32_t kMmNoMemory = 0x83EC0007;
inline constexpr uint32_t kMmNotSupported = 0x83EC0008;
inline constexpr uint32_t kMmHandleBusy = 0x83EC000C;

inline constexpr uint32_t kWaveOutBusy = 0x83EE0004;

constexpr bool failed(uint32_t code) {
    return (code & kFailureBit) != 0;
}
constexpr uint32_t facility(uint32_t code) {
    return code & kFacilityMask;
}
constexpr uint32_t waveOutError(uint32_t mmResult) {
    return kFailureBit | kFacilityWaveOut | (mmResult & 0xFFFF);
}
constexpr uint32_t errnoError(int err) {
    return kFailureBit | kFacilityErrno | (static_cast<uint32_t>(err) & 0xFFFF);
}

}  // namespace nxss
