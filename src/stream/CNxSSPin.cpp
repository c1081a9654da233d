#include "stream/CNxSSPin.h"

#include <utility>

#include "stream/CNxSSComponent.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

CNxSSPin::CNxSSPin(CNxSSComponent* owner) : CNxSSObject(owner), owner_(owner) {}

void CNxSSPin::Disconnect() {
    if (CNxSSPin* former = std::exchange(peer_, nullptr)) {
        former->Disconnect();
        former->Release();
    }
}

void CNxSSPin::Connect(CNxSSPin* peer) {
    if (peer_ == peer) {
        return;
    }
    if (peer_) {
        throw CNxSSException(nxss::kFail);
    }
    peer_ = peer;
    peer->AddRef();
    peer->Connect(this);
}

CNxSSInputPin::CNxSSInputPin(CNxSSComponent* owner) : CNxSSPin(owner) {
    SetTag("IN PIN  ");
}

bool CNxSSInputPin::GetFormat(platform::WaveFormat& format) {
    return GetPeer() && GetPeer()->GetFormat(format);
}
int32_t CNxSSInputPin::GetLength() {
    return GetPeer() ? GetPeer()->GetLength() : 0;
}
int32_t CNxSSInputPin::GetPosition() {
    return GetPeer() ? GetPeer()->GetPosition() : 0;
}
int32_t CNxSSInputPin::SetPosition(int32_t ms) {
    return GetPeer() ? GetPeer()->SetPosition(ms) : 0;
}
void CNxSSInputPin::Read(CNxSSPacket& packet) {
    if (GetPeer()) {
        GetPeer()->Read(packet);
    }
}
void CNxSSInputPin::SetState(int32_t state) {
    if (GetPeer()) {
        GetPeer()->SetState(state);
    }
}

CNxSSOutputPin::CNxSSOutputPin(CNxSSComponent* owner) : CNxSSPin(owner) {
    SetTag("OUT PIN ");
}

bool CNxSSOutputPin::GetFormat(platform::WaveFormat& format) {
    return Owner()->GetFormat(format);
}
int32_t CNxSSOutputPin::GetLength() {
    return Owner()->GetLength();
}
int32_t CNxSSOutputPin::GetPosition() {
    return Owner()->GetPosition();
}
int32_t CNxSSOutputPin::SetPosition(int32_t ms) {
    return Owner()->SetPosition(ms);
}
void CNxSSOutputPin::Read(CNxSSPacket& packet) {
    Owner()->Read(packet);
}
void CNxSSOutputPin::SetState(int32_t state) {
    Owner()->SetState(state);
}
