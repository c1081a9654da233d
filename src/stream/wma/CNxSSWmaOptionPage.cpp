#include "stream/wma/CNxSSWmaOptionPage.h"

#include <cstdio>

#include "stream/ResultCodes.h"
#include "stream/wma/WmaResultCode.h"

namespace {

using platform::wma::OutputSettings;
using platform::wma::OutputSupport;

bool meets(const OutputSettings& entry, const CNxSSFormatChoice::Request& request) {
    return (!request.sampleRate || *request.sampleRate == entry.sampleRate) &&
           (!request.channels || *request.channels == entry.channels) &&
           (!request.bitrate || *request.bitrate == entry.bitrate);
}

// The entry keeps the current value of every field the request leaves open.
bool keeps(const OutputSettings& entry, const CNxSSFormatChoice::Request& request,
           const OutputSettings& current) {
    return (request.sampleRate || entry.sampleRate == current.sampleRate) &&
           (request.channels || entry.channels == current.channels) &&
           (request.bitrate || entry.bitrate == current.bitrate);
}

}  // namespace

CNxSSWmaOptionPage::CNxSSWmaOptionPage(CNxSSObject* writer, NxRef<CNxSSWmaWriterSettings> settings)
    : CNxSSOptionPage(writer, std::move(settings)),
      support_(platform::wma::offeredFormats().size()) {
    Open();
}

uint32_t CNxSSWmaOptionPage::GetInterface(uint32_t id, void** out) {
    if (out == nullptr) {
        return nxss::kNoInterface;
    }
    *out = nullptr;
    if (id != kSettingsInterface) {
        return nxss::kNoInterface;
    }
    Settings().AddRef();
    *out = &Settings();
    return 0;
}

void CNxSSWmaOptionPage::Open() {
    selection_ = -1;
    const CNxSSWmaWriterSettings* settings = WmaSettings();
    if (settings == nullptr) {
        return;
    }
    const OutputSettings current = settings->Output();
    for (int i = 0; i < EntryCount(); ++i) {
        if (Entry(i) == current) {
            selection_ = i;
            return;
        }
    }
}

const OutputSettings& CNxSSWmaOptionPage::Entry(int entry) const {
    return platform::wma::offeredFormats()[static_cast<size_t>(entry)];
}

// Asking the encoder costs a few encoder openings, so each verdict is kept.
OutputSupport CNxSSWmaOptionPage::EntrySupport(int entry) const {
    std::lock_guard lock(supportMutex_);
    auto& verdict = support_[static_cast<size_t>(entry)];
    if (!verdict) {
        verdict = nxss::wmaOutputSupport(Entry(entry));
    }
    return *verdict;
}

std::vector<std::string> CNxSSWmaOptionPage::EntryTexts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < EntryCount(); ++i) {
        const OutputSettings& e = Entry(i);
        char text[48];
        std::snprintf(text, sizeof text, "%3dKbps %5dHz %s", static_cast<int>(e.bitrate / 1000),
                      static_cast<int>(e.sampleRate), e.channels == 1 ? "Mono" : "Stereo");
        texts.emplace_back(text);
    }
    return texts;
}

void CNxSSWmaOptionPage::Select(int entry) {
    selection_ = entry >= 0 && entry < EntryCount() ? entry : -1;
}

uint32_t CNxSSWmaOptionPage::Apply() {
    CNxSSWmaWriterSettings* settings = WmaSettings();
    if (selection_ < 0 || settings == nullptr) {
        return nxss::kFail;
    }
    const OutputSupport support = EntrySupport(selection_);
    if (!support.supported) {
        errorText_ = support.reason;
        return nxss::kNoEncodeCodec;
    }
    settings->SetOutput(Entry(selection_));
    errorText_.clear();
    return 0;
}

int CNxSSWmaOptionPage::FindEntry(const Request& request) const {
    const CNxSSWmaWriterSettings* settings = WmaSettings();
    const OutputSettings current = settings ? settings->Output() : OutputSettings{};
    int only = -1, count = 0;
    for (int i = 0; i < EntryCount(); ++i) {
        if (!meets(Entry(i), request)) {
            continue;
        }
        if (keeps(Entry(i), request, current)) {
            return i;
        }
        only = i;
        ++count;
    }
    return count == 1 ? only : -1;
}

uint32_t CNxSSWmaOptionPage::CheckSettings() {
    const CNxSSWmaWriterSettings* settings = WmaSettings();
    if (settings == nullptr) {
        return nxss::kFail;
    }
    const OutputSupport support = nxss::wmaOutputSupport(settings->Output());
    errorText_ = support.reason;
    return support.supported ? 0 : nxss::kNoEncodeCodec;
}

CNxSSWmaWriterSettings* CNxSSWmaOptionPage::WmaSettings() const {
    return dynamic_cast<CNxSSWmaWriterSettings*>(&Settings());
}

int CNxSSWmaOptionPage::EntryCount() const {
    return static_cast<int>(platform::wma::offeredFormats().size());
}
