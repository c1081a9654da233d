#pragma once

#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/ProductKey.h"
#include "platform/Registry.h"

// Points the program's settings and data at a private folder for the whole test
// process (before anything reads them) and empties both hives for each
// test. Tests never see the real user's or machine's settings.
class TempSettings {
  public:
    TempSettings() {
        const auto& dir = folder();
        std::filesystem::remove(Hive(userDir(dir)));
        std::filesystem::remove(Hive(machineDir(dir)));
        for (const char* sub : {"data", "music"}) {
            std::filesystem::remove_all(dir / sub);
            std::filesystem::create_directories(dir / sub);
        }
    }

    static const std::filesystem::path& folder() {
        static const std::filesystem::path dir = [] {
            auto base = std::filesystem::temp_directory_path() /
                        ("melodux-test-" + std::to_string(::getpid()));
            std::filesystem::create_directories(userDir(base));
            std::filesystem::create_directories(machineDir(base));
            ::setenv("MELODUX_CONFIG_HOME", userDir(base).c_str(), 1);
            ::setenv("MELODUX_SYSTEM_CONFIG", machineDir(base).c_str(), 1);
            // Data the program keeps (library, CD database) and its music
            // folder stay inside the test's folder too.
            std::filesystem::create_directories(base / "data");
            std::filesystem::create_directories(base / "music");
            ::setenv("XDG_DATA_HOME", (base / "data").c_str(), 1);
            ::setenv("XDG_MUSIC_DIR", (base / "music").c_str(), 1);
            // Gone at exit, after the objects made later (the registry)
            // have written into it; a forked child leaves it to its parent.
            static const pid_t owner = ::getpid();
            static const std::filesystem::path removed = base;
            std::atexit([] {
                if (::getpid() == owner) {
                    std::error_code ignored;
                    std::filesystem::remove_all(removed, ignored);
                }
            });
            return base;
        }();
        return dir;
    }

    void setDword(std::string_view subkey, std::string_view name, uint32_t value) {
        platform::Registry::instance().write(Key(subkey), name, platform::RegValue::dword(value));
    }

    // Writes the machine hive the way an administrator's tool would.
    void setMachineDword(std::string_view subkey, std::string_view name, uint32_t value) {
        platform::Registry machine(Hive(machineDir(folder())), "/nonexistent/registry");
        machine.write(Key(subkey), name, platform::RegValue::dword(value));
    }

  private:
    static std::filesystem::path userDir(const std::filesystem::path& base) {
        return base / "user";
    }
    static std::filesystem::path machineDir(const std::filesystem::path& base) {
        return base / "machine";
    }
    static std::filesystem::path Hive(const std::filesystem::path& dir) { return dir / "registry"; }
    static std::string Key(std::string_view subkey) { return platform::productSubkey(subkey); }
};
