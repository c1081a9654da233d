#pragma once

#include <atomic>
#include <cstdint>

#include "platform/WaveFormat.h"
#include "stream/CNxSSObject.h"
#include "stream/CNxSSPin.h"
#include "stream/NxRef.h"

class CNxSSInfo;
class CNxSSPacket;

// A stage of a chain. The base versions pass every request upstream, so a
// component overrides only what it produces.
class CNxSSComponent : public CNxSSObject {
  public:
    enum State : int32_t { kStopped = 0, kRunning = 1, kPaused = 3, kRunningAlt = 4 };

    explicit CNxSSComponent(CNxSSObject* parent);
    // Disconnects both pins; the pins themselves go with the children.
    ~CNxSSComponent() override;

    // Each pin is created once; a second request throws
    // CNxSSException(0x80004005). The caller gets its own reference.
    virtual NxRef<CNxSSInputPin> CreateInputPin();
    virtual NxRef<CNxSSOutputPin> CreateOutputPin();

    virtual int32_t GetLength();
    virtual int32_t GetPosition();
    // Returns the previous position.
    virtual int32_t SetPosition(int32_t ms);
    virtual void Read(CNxSSPacket& packet);
    virtual bool GetFormat(platform::WaveFormat& format);
    // Stores the state and tells the components upstream.
    virtual void SetState(int32_t state);
    virtual int32_t GetState() const { return state_.load(); }
    // The information object of a source's music file; 0x80004002 for
    // components that have none.
    virtual uint32_t GetInfo(NxRef<CNxSSInfo>& info);

  protected:
    CNxSSInputPin* InputPin() const { return inputPin_; }
    CNxSSOutputPin* OutputPin() const { return outputPin_; }

  private:
    CNxSSInputPin* inputPin_ = nullptr;    // a child: the child list owns it
    CNxSSOutputPin* outputPin_ = nullptr;  // likewise
    std::atomic<int32_t> state_{kStopped};
};
