#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegType : uint32_t { Sz = 1, Binary = 3, Dword = 4 };

struct RegValue {
    RegType type = RegType::Binary;
    std::vector<uint8_t> data;  // Sz: the text without terminator; Dword: 4 bytes LE

    static RegValue dword(uint32_t v);
    static RegValue text(std::string_view s);
    static RegValue binary(std::vector<uint8_t> bytes);
    std::optional<uint32_t> asDword() const;    // only for type Dword
    std::optional<std::string> asText() const;  // only for type Sz
    friend bool operator==(const RegValue&, const RegValue&) = default;
};

enum class Hive { User, Machine };

// The two settings hives as text files: the user's (read/write) and the
// machine's (read only). Key paths use backslashes
// ("Software\Corvanta\MP3 Melodux\Settings"); keys and value names compare
// without regard to ASCII case. Every write replaces the user file
// atomically. Thread-safe.
class Registry {
  public:
    Registry(std::filesystem::path userHive, std::filesystem::path machineHive);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // The process's registry: user hive under $MELODUX_CONFIG_HOME, else
    // $XDG_CONFIG_HOME/mp3-melodux, else ~/.config/mp3-melodux; machine hive
    // under $MELODUX_SYSTEM_CONFIG, else /etc/mp3-melodux.
    static Registry& instance();
    // Where instance() keeps the two hive files (from the environment).
    static std::filesystem::path defaultUserHivePath();
    static std::filesystem::path defaultMachineHivePath();

    // The user's value, else the machine's.
    std::optional<RegValue> read(std::string_view key, std::string_view name) const;
    std::optional<RegValue> read(Hive hive, std::string_view key, std::string_view name) const;
    // Creates the key in the user hive as needed. False (old value kept)
    // when the hive file cannot be written.
    bool write(std::string_view key, std::string_view name, const RegValue& value);
    // Deletes a user value; true when it is gone afterwards.
    bool remove(std::string_view key, std::string_view name);
    // Value names of a key in one hive, in stored order.
    std::vector<std::string> valueNames(Hive hive, std::string_view key) const;
    // Names of the keys directly below a key in one hive ("" lists the top).
    std::vector<std::string> subkeyNames(Hive hive, std::string_view key) const;
    // True when the key, or a key below it, exists in the hive.
    bool keyExists(Hive hive, std::string_view key) const;
    // Why the last failed write() or remove() failed, for the user.
    std::string lastWriteError() const;

    const std::filesystem::path& userHivePath() const;
    const std::filesystem::path& machineHivePath() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
