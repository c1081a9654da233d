#pragma once

#include <cstdint>
#include <string>

#include "stream/CNxSSRegistryStore.h"
#include "stream/NxRef.h"
#include "stream/NxRefCounted.h"

// The encoder settings of one writer kind: persisted through a settings
// store, cloned for the recording options, described for lists.
class CNxSSWriterSettings : public NxRefCounted {
  public:
    // Loads (save false) or saves the settings under the writer's subkey.
    virtual void Persist(bool save, CNxSSRegistryStore& store) = 0;
    virtual NxRef<CNxSSWriterSettings> Clone() const = 0;
    // The text lists show, e.g. "WMA 128Kbps 44100Hz Stereo"; empty when
    // the format cannot be described.
    virtual std::string Describe() const = 0;
    // True for settings of the same kind with equal values.
    virtual bool IsSame(const CNxSSWriterSettings& other) const = 0;
    // The manager's sink kind: 14 MP3, 15 WAVE, 16 WMA.
    virtual int32_t GetSinkKind() const = 0;
    virtual std::string GetExtension() const = 0;
    // Bits per second.
    virtual uint32_t GetBitrate() const = 0;

    // Persists through a fresh store, as the option pages do.
    void Load();
    void Save();

  protected:
    CNxSSWriterSettings() = default;
};
