#include "stream/wma/CNxSSMediaReader.h"

#include "platform/AsciiText.h"
#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/WmaModule.h"
#include "stream/SourceName.h"
#include "stream/wma/CNxSSMediaInfo.h"

CNxSSMediaReader::CNxSSMediaReader(CNxSSObject* parent) : CNxSSWmaReader(parent) {
    SetTag("AVREAD  ");
}

uint32_t CNxSSMediaReader::GetInfo(NxRef<CNxSSInfo>& info) {
    info = MakeNx<CNxSSMediaInfo>(this);
    return 0;
}

// A missing module is named with what the user asked it for: the file's
// format, as its extension says.
std::unique_ptr<platform::wma::WmaDecoder> CNxSSMediaReader::OpenDecoder() const {
    const platform::wma::WmaCodec* codec = nullptr;
    try {
        codec = &platform::wma::wmaCodec();
    } catch (const platform::wma::Error& e) {
        const std::string extension = platform::toUpperAscii(nxss::lowerExtension(Path()));
        throw platform::wma::Error::missingModule(e.modulePath(), e.what(),
                                                  extension.empty() ? "メディア" : extension);
    }
    return codec->openMediaDecoder(Path());
}
