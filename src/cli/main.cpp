#include <cstdio>
#include <cstring>

#include "cli/Commands.h"

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli <command> [arguments]\n"
    "\n"
    "  play [--device null|file:PATH|alsa[:N]] [--volume 0..10000] [--seek MS] NAME...\n"
    "       [--eq L1,...,L10 (band levels in dB)] [--eq-gain -10..10 (pre-amplifier in dB)]\n"
    "  info NAME...\n"
    "  tag NAME [--title T] [--artist A] [--album B] [--year Y] [--comment C] [--track N]\n"
    "           [--genre G]\n"
    "  convert IN OUT [--bitrate KBPS|BPS] [--rate HZ] [--channels 1|2]\n"
    "          OUT.mp3: [--quality 0|1|2] [--vbr 20|40|60|80|100] [--copyright] [--original]\n"
    "          OUT.wav: [--wave-format FORMAT]\n"
    "  decode [--float] [--gapless] [--quality N] [--resolution N] [--downmix N] IN OUT\n"
    "  formats [TAG] | formats mp3 --input-rate HZ --input-channels 1|2\n"
    "  errtext CODE\n"
    "  config list [KEY]\n"
    "  config get KEY NAME\n"
    "  config set KEY NAME VALUE [--dword|--string|--binary-hex]\n"
    "  config delete KEY NAME\n"
    "  cd drives | toc | play [TRACK...] | eject   [--drive D:]\n"
    "  cd rip [--drive D:] [--tracks 1,3-5] [--format mp3|wav|wma] [--to DIR]\n"
    "  cddb lookup [--local-only] | submit | sites  [--drive D:] [--server URL]\n"
    "  library [--db DIR] COMMAND...   (melodux-cli library --help)\n";

struct Command {
    const char* name;
    int (*run)(const cli::Args&);
};

constexpr Command kCommands[] = {
    {"play", cli::runPlay},       {"info", cli::runInfo},       {"tag", cli::runTag},
    {"convert", cli::runConvert}, {"errtext", cli::runErrtext}, {"config", cli::runConfig},
    {"cd", cli::runCd},           {"cddb", cli::runCddb},       {"library", cli::runLibrary},
    {"decode", cli::runDecode},   {"formats", cli::runFormats},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    cli::engine();  // codecs are there for every command, as the formats list needs
    const std::string command = argv[1];
    const cli::Args args(argv + 2, argv + argc);
    for (const Command& c : kCommands) {
        if (command == c.name) {
            return c.run(args);
        }
    }
    std::fprintf(stderr, "melodux-cli: unknown command '%s'\n%s", command.c_str(), kUsage);
    return 2;
}
