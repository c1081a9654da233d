#include "platform/module/SharedModule.h"

#include <dlfcn.h>

#include <system_error>

namespace platform {

void SharedModule::Closer::operator()(void* handle) const {
    dlclose(handle);
}

SharedModule::SharedModule(const std::vector<std::filesystem::path>& folders,
                           const std::string& fileName, const char* entryName, int version) {
    for (const auto& folder : folders) {
        std::error_code ec;
        if (std::filesystem::exists(folder / fileName, ec)) {
            path_ = folder / fileName;
            load(entryName, version);
            return;
        }
    }
    path_ = folders.empty() ? std::filesystem::path(fileName) : folders.front() / fileName;
    failure_ = "見つかりません";
}

// The module stays mapped until the process ends (RTLD_NODELETE): objects
// it made may outlive any owner of the handle.
void SharedModule::load(const char* entryName, int version) {
    handle_.reset(dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!handle_) {
        const char* why = dlerror();
        failure_ = why != nullptr ? why : "読み込めません";
        return;
    }
    const auto entry = reinterpret_cast<Entry>(dlsym(handle_.get(), entryName));
    interface_ = entry != nullptr ? entry(version) : nullptr;
    if (interface_ == nullptr) {
        failure_ = "このプログラムのモジュールではありません";
        handle_.reset();
    }
}

}  // namespace platform
