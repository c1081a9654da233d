#include "platform/wma/WmaError.h"

namespace platform::wma {

Error::Error(Kind kind, const std::string& detail) : std::runtime_error(detail), kind_(kind) {}

Error Error::protectedFile(Protection protection, const std::string& detail) {
    Error e(Kind::Protected, detail);
    e.protection_ = protection;
    return e;
}

Error Error::missingCodec(const std::string& codec) {
    Error e(Kind::MissingCodec, "no decoder for " + codec);
    e.codec_ = codec;
    return e;
}

Error Error::missingModule(const std::string& path, const std::string& reason,
                           const std::string& codec) {
    Error e(Kind::MissingCodec, reason);
    e.codec_ = codec;
    e.modulePath_ = path;
    return e;
}

}  // namespace platform::wma
