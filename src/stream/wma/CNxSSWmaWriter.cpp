#include "stream/wma/CNxSSWmaWriter.h"

#include <new>

#include "platform/wma/WmaModule.h"
#include "stream/CNxSSDetailedException.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "stream/wma/WmaResultCode.h"

namespace {

NxRef<CNxSSWmaWriterSettings> storedSettings() {
    NxRef<CNxSSWmaWriterSettings> settings(new CNxSSWmaWriterSettings());
    settings->Load();
    return settings;
}

}  // namespace

CNxSSWmaWriter::CNxSSWmaWriter(CNxSSObject* parent, std::string outputPath)
    : CNxSSWriter(parent, std::move(outputPath), kPageInterface) {
    SetTag("WMAWRITE");
    SetOptionPage(MakeNx<CNxSSWmaOptionPage>(this, storedSettings()));
    StartThread(kPriorityNormal);
}

CNxSSWmaWriter::~CNxSSWmaWriter() {
    StopThread();
}

std::string CNxSSWmaWriter::LastErrorText() const {
    std::lock_guard lock(errorMutex_);
    return errorText_;
}

uint32_t CNxSSWmaWriter::DoStart() {
    {
        std::lock_guard lock(errorMutex_);
        errorText_.clear();
    }
    platform::WaveFormat format;
    if (!GetFormat(format) || format.channels() == 0 || format.samplesPerSec() == 0) {
        throw CNxSSException(nxss::kFail);
    }
    const auto* settings = dynamic_cast<const CNxSSWmaWriterSettings*>(&OptionPage().Settings());
    if (settings == nullptr) {
        throw CNxSSException(nxss::kFail);
    }
    const platform::wma::OutputSettings output = settings->Output();
    if (const auto support = nxss::wmaOutputSupport(output); !support.supported) {
        Fail(nxss::kNoEncodeCodec, support.reason);
    }
    try {
        encoder_ = platform::wma::wmaCodec().createWriter(OutputPath(), format, output, {});
    } catch (const platform::wma::Error& e) {
        Fail(e);
    } catch (const std::bad_alloc&) {
        throw CNxSSException(nxss::kOutOfMemory);
    }
    packet_ = Manager() ? Manager()->CreatePacket(this) : MakeNx<CNxSSPacket>(this);
    packet_->Allocate(format, kPacketFrames);
    return nxss::kStarted;
}

uint32_t CNxSSWmaWriter::DoTick() {
    if (!encoder_) {
        throw CNxSSException(nxss::kFail);
    }
    Read(*packet_);
    try {
        if (!packet_->EndOfStream()) {
            encoder_->write({packet_->Data(), packet_->Bytes()});
            return 0;
        }
        encoder_->finish();
    } catch (const platform::wma::Error& e) {
        Fail(e);
    }
    encoder_.reset();
    packet_.reset();
    return nxss::kFinished;
}

void CNxSSWmaWriter::DoAbort() {
    if (encoder_) {
        encoder_->abort();
        encoder_.reset();
    }
    packet_.reset();
}

void CNxSSWmaWriter::Fail(uint32_t code, const std::string& text) {
    {
        std::lock_guard lock(errorMutex_);
        errorText_ = text;
    }
    throw CNxSSDetailedException(code, text);
}

void CNxSSWmaWriter::Fail(const platform::wma::Error& error) {
    Fail(nxss::wmaResultCode(error), nxss::wmaFailureText(error));
}
