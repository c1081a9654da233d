#include <cstdio>
#include <optional>
#include <string>

#include "cdinfo/CCdda.h"
#include "cdinfo/DiscToc.h"
#include "cli/CdSupport.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/TerminalText.h"
#include "platform/Registry.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli cddb lookup [--drive D:] [--local-only] [--server URL]\n"
    "       melodux-cli cddb submit [--drive D:] [--server URL]\n"
    "       melodux-cli cddb sites [--server URL]\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// The settings' configuration, with --server in place of "CDDBServer".
cdinfo::CCdda::ConfigSource configFor(const CliOptions& o) {
    return [server = o.value("--server")] {
        auto config = cdinfo::CddaConfig::fromSettings(platform::Registry::instance());
        if (server)
            config.server = *server;
        return config;
    };
}

std::optional<std::string> driveText(const CliOptions& o) {
    const platform::cd::DriveList list(platform::cd::DriveList::systemOptions());
    const platform::cd::CdDrive* drive = findDrive(list, o);
    if (!drive)
        return std::nullopt;
    return std::string(1, drive->letter()) + ":";
}

void printDisc(const cdinfo::CDiscID& disc, bool local) {
    std::printf("disc %s\n", cdinfo::discIdText(disc.discId).c_str());
    std::printf("artist\t%s\n", terminalText(disc.artist).c_str());
    std::printf("title\t%s\n", terminalText(disc.title).c_str());
    std::printf("source\t%s\n", local ? "local" : "cddb");
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        std::printf("%zu\t%s\n", i + 1, terminalText(disc.tracks[i].title).c_str());
    }
}

// Runs a request on the library's worker and waits for it.
uint32_t run(cdinfo::CCdda& cdda, cdinfo::CDDB_REQDATA& request) {
    const uint32_t started = request.kind == cdinfo::CDDB_REQDATA::kSubmit
                                 ? cdda.SendPost(request)
                                 : cdda.GetAllDiscInfo(request);
    if (started != 0)
        return started;
    request.wait();
    return request.result();
}

int lookup(const CliOptions& o) {
    const auto drive = driveText(o);
    if (!drive)
        return 1;
    cdinfo::CCdda cdda(configFor(o));
    cdinfo::CDiscID disc;
    if (cdda.GetLocalDiscInfo(*drive, disc) == cdinfo::kCddaOk) {
        printDisc(disc, true);
        return 0;
    }
    if (o.flag("--local-only"))
        return reportCdda(cdinfo::kCddaNotFound);
    cdinfo::CDDB_REQDATA request;
    request.drive = *drive;
    request.mode = cdinfo::CDDB_REQDATA::kNetworkOnly;
    if (const int rc = reportCdda(run(cdda, request)))
        return rc;
    printDisc(request.disc, false);
    return 0;
}

int submit(const CliOptions& o) {
    const auto drive = driveText(o);
    if (!drive)
        return 1;
    cdinfo::CCdda cdda(configFor(o));
    cdinfo::CDDB_REQDATA request;
    request.kind = cdinfo::CDDB_REQDATA::kSubmit;
    if (const int rc = reportCdda(cdda.GetLocalDiscInfo(*drive, request.disc)))
        return rc;
    if (const int rc = reportCdda(run(cdda, request)))
        return rc;
    std::printf("submitted %s\n", cdinfo::discIdText(request.disc.discId).c_str());
    return 0;
}

int sites(const CliOptions& o) {
    cdinfo::CCdda cdda(configFor(o));
    cdinfo::CServeList list;
    if (const int rc = reportCdda(cdda.GetServerList(list)))
        return rc;
    for (const auto& s : list.servers) {
        std::printf("%s\t%d\t%s%s\n", terminalText(s.host).c_str(), s.port,
                    terminalText(s.path).c_str(), s.enabled ? "" : "\t(not HTTP)");
    }
    return 0;
}

}  // namespace

int runCddb(const Args& args) {
    if (args.empty())
        return usage();
    const auto o = CliOptions::parse(Args(args.begin() + 1, args.end()), {"--drive", "--server"},
                                     {"--local-only"});
    if (!o || !o->positional().empty())
        return usage();
    if (args[0] == "lookup")
        return lookup(*o);
    if (args[0] == "submit")
        return submit(*o);
    if (args[0] == "sites")
        return sites(*o);
    return usage();
}

}  // namespace cli
