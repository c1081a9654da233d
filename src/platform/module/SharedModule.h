#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// A module of ours (a shared object holding code that links a heavy
// library), opened from the first of `folders` that holds `fileName`. Its
// entry point `entryName` is asked for the interface of `version` and
// answers with a pointer to it, or null for another version. A module that
// is missing or unusable leaves the object without an interface; path()
// and failure() then say where it was looked for and why it cannot be used.
class SharedModule {
  public:
    using Entry = const void* (*)(int version);

    SharedModule(const std::vector<std::filesystem::path>& folders, const std::string& fileName,
                 const char* entryName, int version);

    // The interface, or null.
    const void* interface() const { return interface_; }
    // The module's file, or where it was looked for first.
    const std::filesystem::path& path() const { return path_; }
    // Why the module cannot be used, in words for the user; empty when loaded.
    const std::string& failure() const { return failure_; }

  private:
    struct Closer {
        void operator()(void* handle) const;
    };

    void load(const char* entryName, int version);

    std::unique_ptr<void, Closer> handle_;
    const void* interface_ = nullptr;
    std::filesystem::path path_;
    std::string failure_;
};

}  // namespace platform
