#include "platform/wma/WmaModule.h"

#include <dlfcn.h>

#include <system_error>

#include "platform/wma/ModuleFolders.h"
#include "platform/wma/WmaError.h"

namespace platform::wma {

void WmaModule::Closer::operator()(void* handle) const {
    dlclose(handle);
}

WmaModule::WmaModule(const std::vector<std::filesystem::path>& folders,
                     const std::string& fileName) {
    for (const auto& folder : folders) {
        std::error_code ec;
        if (std::filesystem::exists(folder / fileName, ec)) {
            load(folder / fileName);
            return;
        }
    }
    path_ = folders.empty() ? std::filesystem::path(fileName) : folders.front() / fileName;
    failure_ = "見つかりません";
}

// The module stays mapped until the process ends (RTLD_NODELETE): objects
// it made may outlive any owner of the handle.
void WmaModule::load(const std::filesystem::path& file) {
    path_ = file;
    handle_.reset(dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!handle_) {
        const char* why = dlerror();
        failure_ = why != nullptr ? why : "読み込めません";
        return;
    }
    const auto entry = reinterpret_cast<WmaCodecEntry>(dlsym(handle_.get(), kWmaCodecEntry));
    codec_ = entry != nullptr ? entry(kWmaCodecVersion) : nullptr;
    if (codec_ == nullptr) {
        failure_ = "このプログラムのモジュールではありません";
        handle_.reset();
    }
}

const WmaCodec& WmaModule::codec() const {
    if (codec_ == nullptr) {
        throw Error::missingModule(path_.string(), failure_);
    }
    return *codec_;
}

const WmaCodec& wmaCodec() {
    static const WmaModule module(wmaModuleFolders(), kWmaModuleFile);
    return module.codec();
}

}  // namespace platform::wma
