#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "stream/CNxSSActiveComponent.h"
#include "stream/CNxSSOptionPage.h"

// A sink that encodes its chain into a file on its worker thread, one
// packet per idle tick. Writers report only Started, Finished and errors;
// Stop and quit abandon the output, which never replaces the target.
class CNxSSWriter : public CNxSSActiveComponent {
  public:
    static constexpr uint32_t kOptionPageInterface = 3;

    // pageInterface: the writer's own second id for its option page.
    CNxSSWriter(CNxSSObject* parent, std::string outputPath, uint32_t pageInterface);

    // Ids 3 and the writer's own give the option page, with the upstream
    // format stored in it; other ids 0x80004002.
    uint32_t GetInterface(uint32_t id, void** out) override;

    const std::string& OutputPath() const { return outputPath_; }

  protected:
    // Builds the page once; subclasses call it from their constructors.
    void SetOptionPage(NxRef<CNxSSOptionPage> page);
    CNxSSOptionPage& OptionPage() const { return *page_; }

    // Opens the output and returns Started; throws on failure.
    virtual uint32_t DoStart() = 0;
    // Moves one packet; returns 0, or Finished once the file is complete.
    virtual uint32_t DoTick() = 0;
    // Drops what was written; must be safe in any state.
    virtual void DoAbort() = 0;

    // Ticks run continuously while pumping.
    void SetPumping(bool on);

  private:
    uint32_t OnCommand(uint32_t code, int32_t param1, int32_t param2) final;
    void OnCommandFailed() final { Abort(); }
    uint32_t RunStart();
    uint32_t RunTick();
    uint32_t RunPause();
    void Abort();

    const std::string outputPath_;
    const uint32_t pageInterface_;
    NxRef<CNxSSOptionPage> page_;
    std::recursive_mutex lock_;
};
