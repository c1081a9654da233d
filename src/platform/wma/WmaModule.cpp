#include "platform/wma/WmaModule.h"

#include "platform/module/ModuleFolders.h"
#include "platform/module/SharedModule.h"
#include "platform/wma/WmaError.h"

namespace platform::wma {

const WmaCodec& wmaCodec() {
    static const SharedModule module(moduleFolders(), kWmaModuleFile, kWmaCodecEntry,
                                     kWmaCodecVersion);
    if (module.interface() == nullptr) {
        throw Error::missingModule(module.path().string(), module.failure());
    }
    return *static_cast<const WmaCodec*>(module.interface());
}

}  // namespace platform::wma
