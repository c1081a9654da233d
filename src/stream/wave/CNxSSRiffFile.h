#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/WaveFormat.h"
#include "stream/CNxSSObject.h"
#include "stream/wave/RiffChunk.h"
#include "stream/wave/RiffIo.h"

// A RIFF file: a "WAVE" form with its "fmt ", "data" and "fact" chunks, or
// an "RMP3" form holding MP3 data. Read mode gives the data chunk's bytes;
// update mode patches chunks of an existing file; create mode writes a new
// file under a temporary name beside the target, which replaces the target
// only when Close succeeds (one rename). Abort, a failure or destroying an
// open file leaves the target untouched and removes the temporary file.
// Failures throw CNxSSException.
class CNxSSRiffFile : public CNxSSObject {
  public:
    enum Mode : int32_t { kRead = 0, kUpdate = 1, kCreate = 2 };

    CNxSSRiffFile(CNxSSObject* parent, std::string path);
    ~CNxSSRiffFile() override;

    // 0x80004005 when open already or for an unknown mode; 0x83EB0000 |
    // error when the file cannot be opened or its chunks are unreadable;
    // 0x83EA0011 for a form without the chunks it needs; 0x8007xxxx when
    // the temporary file cannot be made.
    void Open(int32_t mode);
    // In create mode, puts the written file in place of the target.
    void Close();
    void Abort();
    bool IsOpen() const { return io_.IsOpen(); }

    // In read mode reads stop at the end of the data chunk.
    size_t Read(void* buffer, size_t bytes);
    void Write(const void* buffer, size_t bytes);
    // Moves relative to the start of the data (of the file in create mode):
    // origin SEEK_SET, SEEK_CUR or SEEK_END. Returns the new position.
    int64_t Seek(int64_t offset, int origin);

    uint32_t CreateChunk(RiffChunk& chunk, uint32_t flags);
    uint32_t Ascend(RiffChunk& chunk);
    uint32_t Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t flags);

    const std::string& Path() const { return path_; }
    const platform::WaveFormat& GetFormat() const { return format_; }
    uint64_t GetSize() const { return dataSize_; }
    // Where the data chunk's bytes start in the file.
    uint64_t GetDataOffset() const { return dataOffset_; }
    uint64_t GetFileSize() const { return io_.FileSize(); }
    std::optional<uint32_t> GetFact() const { return fact_; }
    // The "RIFF" chunk found by the scan: the parent for further descends.
    const RiffChunk& GetForm() const { return form_; }
    // "WAVE" or "RMP3" after a scan.
    uint32_t GetFormType() const { return form_.formType; }
    // The "INAM" text of a "LIST" "INFO" chunk, UTF-8; empty without one.
    const std::string& GetTitle() const { return title_; }

  private:
    void OpenExisting(int32_t mode);
    void OpenTemporary();
    void Scan();
    void ScanWave();
    void ScanRmp3();
    void ReadFormat(const RiffChunk& chunk);
    void ReadFact(const RiffChunk& chunk);
    void ReadInfo(const RiffChunk& list);
    void KeepData(const RiffChunk& chunk);
    void Check(riff::Error error) const;

    const std::string path_;
    RiffIo io_;
    uint64_t dataOffset_ = 0;
    uint64_t dataSize_ = 0;
    std::optional<uint32_t> fact_;
    platform::WaveFormat format_;
    bool haveFormat_ = false;
    bool haveData_ = false;
    std::string title_;
    std::unique_ptr<platform::AtomicFile> temporary_;
    RiffChunk form_;
    int32_t mode_ = kRead;
};
