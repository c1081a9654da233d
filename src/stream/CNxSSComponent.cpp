#include "stream/CNxSSComponent.h"

#include "stream/CNxSSException.h"
#include "stream/CNxSSInfo.h"
#include "stream/CNxSSPacket.h"
#include "stream/ResultCodes.h"

CNxSSComponent::CNxSSComponent(CNxSSObject* parent) : CNxSSObject(parent) {}

CNxSSComponent::~CNxSSComponent() {
    if (inputPin_) {
        inputPin_->Disconnect();
    }
    if (outputPin_) {
        outputPin_->Disconnect();
    }
}

NxRef<CNxSSInputPin> CNxSSComponent::CreateInputPin() {
    if (inputPin_) {
        throw CNxSSException(nxss::kFail);
    }
    inputPin_ = new CNxSSInputPin(this);  // owned by the child list
    return NxRef<CNxSSInputPin>(inputPin_);
}

NxRef<CNxSSOutputPin> CNxSSComponent::CreateOutputPin() {
    if (outputPin_) {
        throw CNxSSException(nxss::kFail);
    }
    outputPin_ = new CNxSSOutputPin(this);  // owned by the child list
    return NxRef<CNxSSOutputPin>(outputPin_);
}

int32_t CNxSSComponent::GetLength() {
    return inputPin_ ? inputPin_->GetLength() : 0;
}

int32_t CNxSSComponent::GetPosition() {
    return inputPin_ ? inputPin_->GetPosition() : 0;
}

int32_t CNxSSComponent::SetPosition(int32_t ms) {
    return inputPin_ ? inputPin_->SetPosition(ms) : 0;
}

void CNxSSComponent::Read(CNxSSPacket& packet) {
    if (inputPin_) {
        inputPin_->Read(packet);
    }
}

bool CNxSSComponent::GetFormat(platform::WaveFormat& format) {
    return inputPin_ && inputPin_->GetFormat(format);
}

void CNxSSComponent::SetState(int32_t state) {
    state_.store(state);
    if (inputPin_) {
        inputPin_->SetState(state);
    }
}

uint32_t CNxSSComponent::GetInfo(NxRef<CNxSSInfo>& info) {
    info.reset();
    return nxss::kNoInterface;
}
