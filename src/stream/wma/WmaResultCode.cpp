#include "stream/wma/WmaResultCode.h"

#include "platform/wma/WmaModule.h"
#include "stream/ResultCodes.h"

namespace nxss {

namespace {

using platform::wma::Error;
using platform::wma::Protection;

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
    if (!error.modulePath().empty()) {
        return error.codec() + " を処理するモジュール " + error.modulePath() +
               " を読み込めません（" + error.what() + "）。";
    }
    if (error.kind() == Error::Kind::MissingCodec) {
        return "このファイルの音声 (" + error.codec() + ") を処理するデコーダが見つかりません。";
    }
    return error.what();
}

platform::wma::OutputSupport wmaOutputSupport(const platform::wma::OutputSettings& settings) {
    try {
        return platform::wma::wmaCodec().checkOutput(settings);
    } catch (const Error& e) {
        return {false, wmaFailureText(e)};
    }
}

}  // namespace nxss
