#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/Files.h"

// ID3v2 tags built byte by byte for the forms no tagger at hand writes
// (2.2, a 2.4 footer, unsynchronisation), and mutagen, run at test time,
// as the independent tagger for the rest.
namespace tagfixtures {

using Bytes = std::vector<uint8_t>;

inline Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes bigEndian(uint32_t value, int count, int bitsPerByte) {
    Bytes out;
    for (int i = count - 1; i >= 0; --i) {
        out.push_back(
            static_cast<uint8_t>((value >> (bitsPerByte * i)) & ((1u << bitsPerByte) - 1)));
    }
    return out;
}

// A frame of ID3v2.2 (3-letter id), 2.3 (plain size) or 2.4 (syncsafe size).
inline Bytes frame(int version, std::string_view id, const Bytes& payload) {
    const auto size = static_cast<uint32_t>(payload.size());
    if (version == 2) {
        return bytes(id) + bigEndian(size, 3, 8) + payload;
    }
    return bytes(id) + bigEndian(size, 4, version == 4 ? 7 : 8) + Bytes{0, 0} + payload;
}

// A whole tag; flag 0x10 of 2.4 adds the footer, a copy of the header led by "3DI".
inline Bytes tag(int version, uint8_t flags, const Bytes& body) {
    const Bytes rest = Bytes{static_cast<uint8_t>(version), 0, flags} +
                       bigEndian(static_cast<uint32_t>(body.size()), 4, 7);
    Bytes out = bytes("ID3") + rest + body;
    return (flags & 0x10) ? out + bytes("3DI") + rest : out;
}

// A zero after every 0xFF, as the unsynchronisation scheme inserts it.
inline Bytes unsynchronise(const Bytes& in) {
    Bytes out;
    for (const uint8_t b : in) {
        out.push_back(b);
        if (b == 0xFF) {
            out.push_back(0);
        }
    }
    return out;
}

// Debian's interpreter, where python3-mutagen installs the library.
inline constexpr const char* kPython = "/usr/bin/python3";

inline bool haveMutagen() {
    const std::string command = std::string(kPython) + " -c 'import mutagen' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// Runs a Python script with `path` as sys.argv[1]; its standard output, or
// nothing when it failed.
inline std::optional<std::string> mutagen(const std::string& script,
                                          const std::filesystem::path& path) {
    const std::string command =
        std::string(kPython) + " - '" + path.string() + "' <<'PYEOF'\n" +
        "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TCON, COMM, TDRC\n"
        "from mutagen.apev2 import APEv2\n" +
        "p = sys.argv[1]\n" + script + "\nPYEOF\n";
    testsupport::ShellRun run = testsupport::shell(command);
    if (run.exitCode != 0) {
        return std::nullopt;
    }
    return std::move(run.out);
}

}  // namespace tagfixtures
