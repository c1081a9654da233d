#pragma once

#include <cstdint>

#include "platform/WaveFormat.h"
#include "stream/CNxSSObject.h"

class CNxSSComponent;
class CNxSSPacket;

// A connection point of a component. Requests travel upstream: an input pin
// hands them to its peer output pin, which hands them to its component.
class CNxSSPin : public CNxSSObject {
  public:
    enum Direction { kOutput = 0, kInput = 1 };

    virtual Direction GetDirection() const = 0;
    // Clears the peer and disconnects it in turn.
    virtual void Disconnect();
    // Connects to peer (both ways). Throws CNxSSException(0x80004005) when
    // already connected to another pin.
    virtual void Connect(CNxSSPin* peer);
    virtual CNxSSPin* GetPeer() const { return peer_; }

    // The upstream requests; an unconnected input pin answers 0.
    virtual bool GetFormat(platform::WaveFormat& format) = 0;
    virtual int32_t GetLength() = 0;
    virtual int32_t GetPosition() = 0;
    virtual int32_t SetPosition(int32_t ms) = 0;
    virtual void Read(CNxSSPacket& packet) = 0;
    virtual void SetState(int32_t state) = 0;

    CNxSSComponent* Owner() const { return owner_; }

  protected:
    explicit CNxSSPin(CNxSSComponent* owner);

  private:
    CNxSSComponent* const owner_;
    CNxSSPin* peer_ = nullptr;
};

class CNxSSInputPin : public CNxSSPin {
  public:
    explicit CNxSSInputPin(CNxSSComponent* owner);
    Direction GetDirection() const override { return kInput; }
    bool GetFormat(platform::WaveFormat& format) override;
    int32_t GetLength() override;
    int32_t GetPosition() override;
    int32_t SetPosition(int32_t ms) override;
    void Read(CNxSSPacket& packet) override;
    void SetState(int32_t state) override;
};

class CNxSSOutputPin : public CNxSSPin {
  public:
    explicit CNxSSOutputPin(CNxSSComponent* owner);
    Direction GetDirection() const override { return kOutput; }
    bool GetFormat(platform::WaveFormat& format) override;
    int32_t GetLength() override;
    int32_t GetPosition() override;
    int32_t SetPosition(int32_t ms) override;
    void Read(CNxSSPacket& packet) override;
    void SetState(int32_t state) override;
};
