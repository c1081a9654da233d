#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/wma/WmaError.h"
#include "platform/wma/WmaWriter.h"
#include "stream/CNxSSPacket.h"
#include "stream/CNxSSWriter.h"
#include "stream/wma/CNxSSWmaOptionPage.h"

// The sink that encodes its chain into a WMA file. The file is written under
// a temporary name in the target's folder and replaces the target only once
// the whole stream is in it; Stop, quit or a failure leave the target as it
// was. Settings come from "DoZIrodiz\WMAWriter" when the writer is made.
class CNxSSWmaWriter : public CNxSSWriter {
  public:
    static constexpr uint32_t kPageInterface = 9;
    static constexpr uint32_t kPacketFrames = 65536;

    CNxSSWmaWriter(CNxSSObject* parent, std::string outputPath);
    ~CNxSSWmaWriter() override;

    // Words for the user about the last failure where the posted code alone
    // does not tell enough (why the encoder refuses the format); else empty.
    std::string LastErrorText() const;

  protected:
    // A format the encoder cannot produce fails with 0x83EA0007 before any
    // file is made.
    uint32_t DoStart() override;
    uint32_t DoTick() override;
    void DoAbort() override;

  private:
    [[noreturn]] void Fail(uint32_t code, const std::string& text);
    [[noreturn]] void Fail(const platform::wma::Error& error);

    std::unique_ptr<platform::wma::WmaWriter> encoder_;
    NxRef<CNxSSPacket> packet_;
    mutable std::mutex errorMutex_;
    std::string errorText_;
};
