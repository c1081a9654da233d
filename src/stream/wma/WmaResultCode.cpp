#include "stream/wma/WmaResultCode.h"

#include "stream/ResultCodes.h"

namespace nxss {

namespace {

using platform::wma::Error;
using platform::wma::Protection;

constexpr uint32_t kFileCannotOpen = 0x83EB0103;
constexpr uint32_t kFileReadFailed = 0x83EB0105;
constexpr uint32_t kFileWriteFailed = 0x83EB0106;

uint32_t protectionCode(Protection protection) {
    switch (protection) {
        case Protection::ContentEncryption:
            return kProtected;
        case Protection::ExtendedContentEncryption:
            return kNoLicense;
        default:
            return kProtectedFile;
    }
}

}  // namespace

uint32_t wmaResultCode(const Error& error) {
    switch (error.kind()) {
        case Error::Kind::Protected:
            return protectionCode(error.protection());
        case Error::Kind::OpenFailed:
            return kFileCannotOpen;
        case Error::Kind::NotWma:
        case Error::Kind::NoAudio:
        case Error::Kind::MissingCodec:
            return kNoDecoder;
        case Error::Kind::UnsupportedFormat:
            return kNoEncodeCodec;
        case Error::Kind::ReadFailed:
            return kFileReadFailed;
        case Error::Kind::WriteFailed:
            return kFileWriteFailed;
        case Error::Kind::OutOfMemory:
            return kOutOfMemory;
        case Error::Kind::InvalidArgument:
            break;
    }
    return kFail;
}

std::string wmaFailureText(const Error& error) {
    if (error.kind() == Error::Kind::MissingCodec) {
        return "このファイルの音声 (" + error.codec() + ") を処理するデコーダが見つかりません。";
    }
    return error.what();
}

}  // namespace nxss
