#include <cstdio>
#include <cstdlib>
#include <string>

#include "cdinfo/CCdda.h"
#include "cdinfo/DiscToc.h"
#include "cli/CdSupport.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "platform/cd/DriveList.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli cd drives\n"
    "       melodux-cli cd toc [--drive D:]\n"
    "       melodux-cli cd play [--drive D:] [--device DEV] [TRACK...]\n"
    "       melodux-cli cd eject [--drive D:]\n"
    "       melodux-cli cd rip [--drive D:] [--tracks 1,3-5] [--format mp3|wav|wma] [--to DIR]\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int drives() {
    const platform::cd::DriveList list(platform::cd::DriveList::systemOptions());
    for (const auto& drive : list.drives()) {
        std::printf("%s\n", drive.displayName().c_str());
    }
    return 0;
}

int toc(const CliOptions& o) {
    const platform::cd::DriveList list(platform::cd::DriveList::systemOptions());
    const platform::cd::CdDrive* drive = findDrive(list, o);
    if (!drive)
        return 1;
    const auto disc = drive->openDisc(platform::cd::ReadMode::Plain);
    if (!disc) {
        std::fprintf(stderr, "melodux-cli: no readable disc in %c:\n", drive->letter());
        return 1;
    }
    const auto& toc = disc->toc();
    std::printf("disc %s\n",
                cdinfo::discIdText(cdinfo::freedbDiscId(cdinfo::DiscToc::fromToc(toc))).c_str());
    for (const auto& t : toc.tracks) {
        const uint32_t seconds = t.sectorCount / platform::cd::kSectorsPerSecond;
        std::printf("%d\t%s\t%u\t%u\t%u:%02u\n", t.number, t.audio ? "audio" : "data",
                    t.firstSector, t.sectorCount, seconds / 60, seconds % 60);
    }
    return 0;
}

int play(const CliOptions& o) {
    const platform::cd::DriveList list(platform::cd::DriveList::systemOptions());
    const platform::cd::CdDrive* drive = findDrive(list, o);
    if (!drive)
        return 1;
    Args args;
    if (const auto device = o.value("--device")) {
        args = {"--device", *device};
    }
    // Tracks go by the disc's own numbers, as `cd toc` lists them.
    for (const auto& track : o.positional()) {
        args.push_back(trackName(*drive, std::atoi(track.c_str())));
    }
    const auto disc = drive->openDisc(platform::cd::ReadMode::Plain);
    for (size_t i = 0; o.positional().empty() && disc && i < disc->toc().tracks.size(); ++i) {
        if (disc->toc().tracks[i].audio)
            args.push_back(trackName(*drive, disc->toc().tracks[i].number));
    }
    return runPlay(args);
}

int eject(const CliOptions& o) {
    const platform::cd::DriveList list(platform::cd::DriveList::systemOptions());
    const platform::cd::CdDrive* drive = findDrive(list, o);
    if (!drive)
        return 1;
    cdinfo::CCdda cdda;
    return reportCdda(cdda.DoEject(std::string(1, drive->letter()) + ":"));
}

}  // namespace

int runCd(const Args& args) {
    if (args.empty())
        return usage();
    if (args[0] == "rip")
        return runCdRip(Args(args.begin() + 1, args.end()));
    const auto o = CliOptions::parse(Args(args.begin() + 1, args.end()), {"--drive", "--device"});
    if (!o)
        return usage();
    const std::string& what = args[0];
    if (what == "drives")
        return drives();
    if (what == "toc")
        return toc(*o);
    if (what == "play")
        return play(*o);
    if (what == "eject")
        return eject(*o);
    return usage();
}

}  // namespace cli
