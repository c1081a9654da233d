#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// How the manager reads a source name.
namespace nxss {

// "::SLNCnnnn": silence of nnnn milliseconds (C atoi rule for the number).
std::optional<int32_t> parseSilenceName(std::string_view name);

// The extension after the last dot of the last path element, lower-cased
// ASCII, without the dot; empty when there is none.
std::string lowerExtension(std::string_view name);

// A CD track name "D:\Track5.cda" (or "D:/track05.cda"): drive number
// (letter - 'A') and track number 1..99.
struct CdTrackName {
    int drive;
    int track;
};
std::optional<CdTrackName> parseCdTrackName(std::string_view name);

}  // namespace nxss
