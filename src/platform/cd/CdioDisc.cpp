#include "platform/cd/CdioDisc.h"

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace platform::cd {

namespace {

// Drives refuse transfers much above 64 KiB; 27 sectors stay below it.
constexpr uint32_t kMaxSectorsPerRequest = 27;
// Paranoia's own re-reads of one sector before it gives up on it.
constexpr int kParanoiaRetries = 20;

// The paranoia callback carries no user pointer, so the read in progress on
// this thread records its failures through this one.
thread_local bool* tCurrentReadFailed = nullptr;

void onParanoiaEvent(long /*position*/, paranoia_cb_mode_t event) {
    if (tCurrentReadFailed != nullptr &&
        (event == PARANOIA_CB_SKIP || event == PARANOIA_CB_READERR)) {
        *tCurrentReadFailed = true;
    }
}

std::optional<uint32_t> trackStart(CdIo_t* cdio, track_t track) {
    const lsn_t lsn = cdio_get_track_lsn(cdio, track);
    if (lsn == CDIO_INVALID_LSN || lsn < 0) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(lsn);
}

std::string cdText(const cdtext_t* text, cdtext_field_t field, track_t track) {
    const char* value = text != nullptr ? cdtext_get_const(text, field, track) : nullptr;
    return value != nullptr ? value : "";
}

// Titles the disc carries itself, for discs no database knows.
void readCdText(CdIo_t* cdio, Toc& toc) {
    const cdtext_t* text = cdio_get_cdtext(cdio);
    if (text == nullptr) {
        return;
    }
    toc.text = {cdText(text, CDTEXT_FIELD_TITLE, 0), cdText(text, CDTEXT_FIELD_PERFORMER, 0)};
    for (const TocTrack& track : toc.tracks) {
        const auto number = static_cast<track_t>(track.number);
        toc.trackTexts.push_back({cdText(text, CDTEXT_FIELD_TITLE, number),
                                  cdText(text, CDTEXT_FIELD_PERFORMER, number)});
    }
}

std::optional<Toc> readToc(CdIo_t* cdio) {
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    const auto leadOut = trackStart(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 || !leadOut) {
        return std::nullopt;
    }
    Toc toc;
    toc.leadOut = *leadOut;
    for (int n = first; n < first + count; ++n) {
        const auto start = trackStart(cdio, static_cast<track_t>(n));
        const auto end =
            n + 1 < first + count ? trackStart(cdio, static_cast<track_t>(n + 1)) : leadOut;
        // A track without sectors is an image whose data file is empty or
        // too short for its sheet, never a disc.
        if (!start || !end || *end <= *start) {
            return std::nullopt;
        }
        const bool audio =
            cdio_get_track_format(cdio, static_cast<track_t>(n)) == TRACK_FORMAT_AUDIO;
        toc.tracks.push_back({n, audio, *start, *end - *start});
    }
    readCdText(cdio, toc);
    return toc;
}

}  // namespace

struct CdioDisc::Handles {
    CdIo_t* cdio = nullptr;
    cdrom_drive_t* drive = nullptr;
    cdrom_paranoia_t* paranoia = nullptr;
    uint32_t nextSector = 0;  // where paranoia reads next without a seek
    bool positioned = false;

    ~Handles() {
        if (paranoia != nullptr) {
            cdio_paranoia_free(paranoia);
        }
        if (drive != nullptr) {
            cdio_cddap_close_no_free_cdio(drive);
        }
        if (cdio != nullptr) {
            cdio_destroy(cdio);
        }
    }
};

std::unique_ptr<CdioDisc> CdioDisc::open(CdIo_t* cdio, ReadMode mode) {
    if (cdio == nullptr) {
        return nullptr;
    }
    auto handles = std::make_unique<Handles>();
    handles->cdio = cdio;
    auto toc = readToc(cdio);
    if (!toc) {
        return nullptr;
    }
    return std::unique_ptr<CdioDisc>(new CdioDisc(std::move(handles), std::move(*toc), mode));
}

CdioDisc::CdioDisc(std::unique_ptr<Handles> handles, Toc toc, ReadMode mode)
    : handles_(std::move(handles)), toc_(std::move(toc)), mode_(mode) {}

CdioDisc::~CdioDisc() = default;

const Toc& CdioDisc::toc() const {
    return toc_;
}

bool CdioDisc::readSectors(uint32_t first, uint32_t count, std::span<uint8_t> out) {
    if (out.size() < static_cast<size_t>(count) * kSectorBytes || first > toc_.leadOut ||
        count > toc_.leadOut - first) {
        return false;
    }
    return mode_ == ReadMode::Verified ? readVerified(first, count, out.data())
                                       : readPlain(first, count, out.data());
}

bool CdioDisc::readPlain(uint32_t first, uint32_t count, uint8_t* out) {
    while (count > 0) {
        const uint32_t n = std::min(count, kMaxSectorsPerRequest);
        if (cdio_read_audio_sectors(handles_->cdio, out, static_cast<lsn_t>(first), n) !=
            DRIVER_OP_SUCCESS) {
            return false;
        }
        first += n;
        count -= n;
        out += static_cast<size_t>(n) * kSectorBytes;
    }
    return true;
}

bool CdioDisc::startParanoia() {
    Handles& h = *handles_;
    if (h.paranoia != nullptr) {
        return true;
    }
    // A start that failed before leaves a drive behind; a retry starts afresh
    // rather than leaking it.
    if (h.drive != nullptr) {
        cdio_cddap_close_no_free_cdio(h.drive);
        h.drive = nullptr;
    }
    h.drive = cdio_cddap_identify_cdio(h.cdio, CDDA_MESSAGE_FORGETIT, nullptr);
    if (h.drive == nullptr) {
        return false;
    }
    if (cdio_cddap_open(h.drive) != 0) {
        cdio_cddap_close_no_free_cdio(h.drive);
        h.drive = nullptr;
        return false;
    }
    // MMC drives and image files give little-endian samples. Left unset,
    // paranoia guesses from the first sectors and swaps bytes of unusual
    // (test tone, noise) audio.
    h.drive->bigendianp = 0;
    h.paranoia = cdio_paranoia_init(h.drive);
    if (h.paranoia == nullptr) {
        return false;
    }
    cdio_paranoia_modeset(h.paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    return true;
}

bool CdioDisc::readVerified(uint32_t first, uint32_t count, uint8_t* out) {
    Handles& h = *handles_;
    if (!startParanoia()) {
        return false;
    }
    if (!h.positioned || h.nextSector != first) {
        cdio_paranoia_seek(h.paranoia, static_cast<int32_t>(first), SEEK_SET);
    }
    bool failed = false;
    tCurrentReadFailed = &failed;
    for (uint32_t i = 0; i < count && !failed; ++i) {
        const int16_t* sector =
            cdio_paranoia_read_limited(h.paranoia, onParanoiaEvent, kParanoiaRetries);
        if (sector == nullptr) {
            failed = true;
            break;
        }
        std::memcpy(out + static_cast<size_t>(i) * kSectorBytes, sector, kSectorBytes);
    }
    tCurrentReadFailed = nullptr;
    // After a failure paranoia's position is unknown: the next read seeks.
    h.positioned = !failed;
    h.nextSector = first + count;
    return !failed;
}

}  // namespace platform::cd
