#include "app/CddbPostCheck.h"

#include <algorithm>

namespace app {
namespace {

// Half-width katakana, U+FF61 to U+FF9F, are single bytes in the
// double-byte code: EF BD A1..BF and EF BE 80..9F in UTF-8.
bool halfWidthKana(std::string_view text, size_t at) {
    if (at + 2 >= text.size() || static_cast<unsigned char>(text[at]) != 0xEF) {
        return false;
    }
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const auto third = static_cast<unsigned char>(text[at + 2]);
    return (second == 0xBD && third >= 0xA1) || (second == 0xBE && third <= 0x9F);
}

size_t sequenceLength(unsigned char lead) {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

}  // namespace

PostProblem postProblem(const std::string& mailAddress, const cdinfo::CDiscID& disc) {
    if (mailAddress.find('@') == std::string::npos) {
        return PostProblem::MailAddress;
    }
    if (disc.title.find_first_not_of(' ') == std::string::npos) {
        return PostProblem::DiscTitle;
    }
    return PostProblem::None;
}

bool hasDoubleByte(std::string_view utf8) {
    for (size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if (lead >= 0x80 && !halfWidthKana(utf8, at)) {
            return true;
        }
        at += sequenceLength(lead);
    }
    return false;
}

bool discHasDoubleByte(const cdinfo::CDiscID& disc) {
    if (hasDoubleByte(disc.title) || hasDoubleByte(disc.artist) || hasDoubleByte(disc.extra)) {
        return true;
    }
    return std::any_of(disc.tracks.begin(), disc.tracks.end(), [](const cdinfo::CDiscTrack& t) {
        return hasDoubleByte(t.title) || hasDoubleByte(t.artist) || hasDoubleByte(t.extra);
    });
}

}  // namespace app
