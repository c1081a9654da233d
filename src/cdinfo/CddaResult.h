#pragma once

#include <cstdint>

namespace cdinfo {

// Results of the CD information calls: 0 for success.
enum CddaResult : uint32_t {
    kCddaOk = 0,
    kCddaNotFound = 1,       // the disc is in neither the local database nor CDDB
    kCddaNoDisc = 2,         // no such drive, no disc, or no audio on it
    kCddaBusy = 3,           // a request is still running
    kCddaInvalid = 4,        // missing or unusable input (e-mail address, title, track)
    kCddaServerError = 5,    // the server answered with an error or an unreadable reply
    kCddaNetworkError = 6,   // the exchange with the server failed
    kCddaFileError = 7,      // the local database could not be written
    kCddaNotSupported = 8,   // the drive cannot do that (an image has no tray)
    kCddaInternalError = 9,  // an unexpected failure (out of memory)
};

}  // namespace cdinfo
