#include "cdinfo/CCdda.h"

#include <algorithm>
#include <exception>

#include "cdinfo/CddbClient.h"
#include "cdinfo/DiscEntry.h"
#include "cdinfo/LocalCdDb.h"
#include "platform/cd/DriveList.h"

namespace cdinfo {

namespace {

uint32_t resultOf(CddbStatus status) {
    switch (status) {
        case CddbStatus::Ok:
            return kCddaOk;
        case CddbStatus::NotFound:
            return kCddaNotFound;
        case CddbStatus::ServerError:
            return kCddaServerError;
        case CddbStatus::NetworkError:
            return kCddaNetworkError;
    }
    return kCddaInternalError;
}

CddbClient makeClient(const CddaConfig& config, const std::atomic<bool>& cancel) {
    CddbClientOptions options;
    options.serverUrl = cddbServerUrl(config.server);
    options.mailAddress = config.mailAddress;
    options.submitMode = config.submitMode;
    options.http = config.http;
    options.http.cancel = &cancel;
    return CddbClient(std::move(options));
}

// An address fit for the hello and the submission header: user@host, no
// blanks or control characters.
bool usableMailAddress(const std::string& mail) {
    const size_t at = mail.find('@');
    const bool plain = std::none_of(mail.begin(), mail.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == 0x7F;
    });
    return plain && at != std::string::npos && at > 0 && at + 1 < mail.size();
}

// Takes the program's states and paths of an earlier entry for the same disc.
void keepStates(const CddbEntry& stored, CDiscID& disc) {
    for (size_t i = 0; i < disc.tracks.size() && i < stored.states.size(); ++i) {
        disc.tracks[i].state = stored.states[i].state;
        disc.tracks[i].outputPath = stored.states[i].path;
    }
}

}  // namespace

CCdda::CCdda(ConfigSource config) : config_(std::move(config)) {}

CCdda::~CCdda() {
    cancel_.store(true);
    if (worker_.joinable()) {
        worker_.join();
    }
}

uint32_t CCdda::Initialize(platform::MessageTarget* owner) {
    owner_ = owner;
    return kCddaOk;
}

uint32_t CCdda::SetgenreTable(const std::vector<std::string>& names) {
    genres_.setNames(names);
    return kCddaOk;
}

uint32_t CCdda::GetDriveList(std::vector<std::string>& drives) const {
    drives.clear();
    const platform::cd::DriveList list(config_().drives);
    for (const platform::cd::CdDrive& drive : list.drives()) {
        drives.push_back(drive.displayName());
    }
    return kCddaOk;
}

uint32_t CCdda::GetServerList(CServeList& list) const {
    const std::atomic<bool> never{false};
    std::vector<CddbSite> sites;
    const CddbStatus status = makeClient(config_(), never).sites(sites);
    if (status != CddbStatus::Ok) {
        return resultOf(status);
    }
    list.servers.clear();
    for (const CddbSite& site : sites) {
        list.servers.push_back({site.host, site.port, site.path, site.protocol == "http"});
    }
    return kCddaOk;
}

uint32_t CCdda::readDisc(const CddaConfig& config, const std::string& drive, CDiscID& disc) const {
    const platform::cd::DriveList list(config.drives);
    const platform::cd::CdDrive* found = list.find(drive);
    const auto opened = found ? found->openDisc(platform::cd::ReadMode::Plain) : nullptr;
    if (!opened || !opened->toc().hasAudio()) {
        return kCddaNoDisc;
    }
    disc = discFromToc(opened->toc());
    return kCddaOk;
}

uint32_t CCdda::GetMediaPresent(const std::string& drive, int& present,
                                std::string* identity) const {
    present = 0;
    if (identity != nullptr) {
        identity->clear();
    }
    const CddaConfig config = config_();
    if (platform::cd::DriveList(config.drives).find(drive) == nullptr) {
        return kCddaNoDisc;
    }
    CDiscID disc;
    if (readDisc(config, drive, disc) == kCddaOk) {
        present = 1;
        if (identity != nullptr) {
            *identity = disc.Identity();
        }
    }
    return kCddaOk;
}

uint32_t CCdda::GetLocalDiscInfo(const std::string& drive, CDiscID& disc) const {
    const CddaConfig config = config_();
    disc.Remove();
    if (const uint32_t result = readDisc(config, drive, disc); result != kCddaOk) {
        return result;
    }
    const auto stored = LocalCdDb(config.localDb).find(disc.discId, disc.Toc().offsets);
    // An entry without any title was only stored for its track states: the
    // disc still wants a lookup.
    if (!stored || !hasTitles(stored->entry)) {
        return kCddaNotFound;
    }
    applyEntry(stored->entry, stored->category, genres_, disc);
    return kCddaOk;
}

uint32_t CCdda::ReadLocalDB(CDiscID& disc) const {
    const auto stored = LocalCdDb(config_().localDb).find(disc.discId, disc.Toc().offsets);
    if (!stored) {
        return kCddaNotFound;
    }
    applyEntry(stored->entry, stored->category, genres_, disc);
    return kCddaOk;
}

uint32_t CCdda::WriteLocalDB(const CDiscID& disc) const {
    if (disc.tracks.empty() || disc.discId == 0) {
        return kCddaInvalid;
    }
    const LocalCdDb db(config_().localDb);
    return db.store(disc.discId, entryFromDisc(disc, genres_), categoryOf(disc, genres_))
               ? kCddaOk
               : kCddaFileError;
}

uint32_t CCdda::start(CDDB_REQDATA& request, std::function<uint32_t(CDDB_REQDATA&)> job) {
    if (IsBusy()) {
        return kCddaBusy;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    if (request.owner == nullptr) {
        request.owner = owner_;
    }
    request.begin();
    busy_.store(true, std::memory_order_release);
    cancel_.store(false);
    worker_ = std::thread([this, &request, job = std::move(job)] {
        uint32_t result = kCddaInternalError;
        try {
            result = job(request);
        } catch (const std::exception&) {
            result = kCddaInternalError;
        }
        busy_.store(false, std::memory_order_release);
        request.finish(result);
    });
    return kCddaOk;
}

uint32_t CCdda::GetAllDiscInfo(CDDB_REQDATA& request) {
    request.kind = CDDB_REQDATA::kLookup;
    const int mode = request.mode;
    const std::string drive = request.drive;
    return start(request, [this, config = config_(), genres = genres_, drive, mode](
                              CDDB_REQDATA& r) { return lookup(r, config, genres, drive, mode); });
}

uint32_t CCdda::lookup(CDDB_REQDATA& request, const CddaConfig& config, const GenreMap& genres,
                       const std::string& drive, int mode) const {
    request.advance(CDDB_REQDATA::Stage::ReadingDisc);
    CDiscID disc;
    const uint32_t read = readDisc(config, drive, disc);
    request.disc = disc;
    if (read != kCddaOk) {
        return read;
    }
    const LocalCdDb db(config.localDb);
    request.advance(CDDB_REQDATA::Stage::LocalLookup);
    const auto stored = db.find(disc.discId, disc.Toc().offsets);
    if (mode != CDDB_REQDATA::kNetworkOnly && stored && hasTitles(stored->entry)) {
        applyEntry(stored->entry, stored->category, genres, request.disc);
        return kCddaOk;
    }
    if (mode == CDDB_REQDATA::kLocalOnly) {
        return kCddaNotFound;
    }
    request.advance(CDDB_REQDATA::Stage::Querying);
    CddbEntry entry;
    std::string category;
    const CddbStatus status = makeClient(config, cancel_).lookup(disc.Toc(), entry, category);
    if (status != CddbStatus::Ok) {
        return resultOf(status);
    }
    applyEntry(entry, category, genres, disc);
    if (stored) {
        keepStates(stored->entry, disc);
    }
    request.advance(CDDB_REQDATA::Stage::Saving);
    db.store(disc.discId, entryFromDisc(disc, genres), category);
    request.disc = disc;
    return kCddaOk;
}

uint32_t CCdda::SendPost(CDDB_REQDATA& request) {
    const CddaConfig config = config_();
    const CDiscID& disc = request.disc;
    if (!usableMailAddress(config.mailAddress) || disc.tracks.empty() || disc.discId == 0 ||
        disc.title.find_first_not_of(' ') == std::string::npos) {
        return kCddaInvalid;
    }
    request.kind = CDDB_REQDATA::kSubmit;
    return start(request, [this, config, genres = genres_](CDDB_REQDATA& r) {
        return submit(r, config, genres);
    });
}

uint32_t CCdda::submit(CDDB_REQDATA& request, const CddaConfig& config,
                       const GenreMap& genres) const {
    request.advance(CDDB_REQDATA::Stage::Submitting);
    CDiscID disc = request.disc;
    disc.revision = std::max(disc.revision + 1, 0);
    disc.category = categoryOf(disc, genres);
    CddbEntry entry = entryFromDisc(disc, genres);
    entry.submittedVia = std::string(kClientName) + " " + std::string(cddbClientVersion());
    entry.states.clear();
    const CddbStatus status = makeClient(config, cancel_).submit(entry, disc.category, disc.discId);
    if (status != CddbStatus::Ok) {
        return resultOf(status);
    }
    request.advance(CDDB_REQDATA::Stage::Saving);
    LocalCdDb(config.localDb).store(disc.discId, entryFromDisc(disc, genres), disc.category);
    request.disc = disc;
    return kCddaOk;
}

uint32_t CCdda::DoEject(const std::string& drive) const {
    const platform::cd::DriveList list(config_().drives);
    const platform::cd::CdDrive* found = list.find(drive);
    if (found == nullptr) {
        return kCddaNoDisc;
    }
    if (found->kind() == platform::cd::CdDrive::Kind::Image) {
        return kCddaNotSupported;
    }
    return found->eject() ? kCddaOk : kCddaNotSupported;
}

uint32_t CCdda::IsCdrExist() const {
    const platform::cd::DriveList list(config_().drives);
    const auto& drives = list.drives();
    return std::any_of(drives.begin(), drives.end(),
                       [](const platform::cd::CdDrive& d) { return d.canWrite(); })
               ? 1
               : 0;
}

}  // namespace cdinfo
