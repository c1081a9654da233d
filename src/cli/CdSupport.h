#pragma once

#include <cstdint>
#include <string>

#include "cli/CliOptions.h"
#include "platform/cd/DriveList.h"

namespace cli {

// The drive named by --drive (default the first); prints why when none.
const platform::cd::CdDrive* findDrive(const platform::cd::DriveList& drives,
                                       const CliOptions& options);
// "D:\Track5.cda": the name the engine plays a CD track by.
std::string trackName(const platform::cd::CdDrive& drive, int track);
// Prints what a CD information result means; returns the exit code.
int reportCdda(uint32_t result);
// "cd rip": the arguments after "rip"; returns the exit code.
int runCdRip(const Args& args);

}  // namespace cli
