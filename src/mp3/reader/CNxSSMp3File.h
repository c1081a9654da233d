#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/UniqueFd.h"
#include "stream/CNxSSObject.h"

// An MP3 file with its ID3 tags hidden: positions and the data size count
// from the end of a leading ID3v2 tag and stop before a trailing ID3v1 tag.
// Every failing file operation throws CNxSSException(0x80070000 | errno).
class CNxSSMp3File : public CNxSSObject {
  public:
    enum Mode { kRead = 0, kWrite = 1, kCreate = 2 };
    enum Origin { kBegin = 0, kCurrent = 1, kEnd = 2 };
    static constexpr size_t kTagSize = 128;
    using TagBytes = std::array<uint8_t, kTagSize>;

    // The bytes of a container's chunk that hold the MP3 data.
    struct Window {
        uint64_t start = 0;
        uint64_t size = 0;
    };

    explicit CNxSSMp3File(std::string path);
    // MP3 data inside a container (a RIFF "data" chunk): reads see only the
    // window, and the file has no ID3 tags of its own.
    CNxSSMp3File(std::string path, Window window);
    // Discards a file being created.
    ~CNxSSMp3File() override;

    // kRead finds the tags; kCreate writes through a temporary file in the
    // target's folder that replaces the target at commit.
    void Open(Mode mode);
    void CloseAndCommit();
    void CloseAndDiscard();

    size_t Read(uint8_t* buffer, size_t count);
    size_t Write(const uint8_t* buffer, size_t count);
    // The new position, relative to the data start.
    int64_t Seek(int64_t offset, Origin origin);
    int64_t Tell() const;
    uint64_t DataSize() const { return dataSize_; }
    uint64_t DataStart() const { return dataStart_; }
    uint64_t FileSize() const { return fileSize_; }
    bool Exists() const;
    bool IsOpen() const { return fd_.valid(); }
    const std::string& GetPath() const { return path_; }
    // False for MP3 data inside a container, whose tags are not its own.
    bool HasOwnTags() const { return !window_; }
    void SetPath(std::string path) { path_ = std::move(path); }

    // The last 128 bytes of the file at the path when they hold an ID3v1
    // tag; the file is opened only for the call.
    std::optional<TagBytes> ReadTag() const;
    // Writes the block over the file's tag, or appends it when there is
    // none. The audio is never touched. A windowed file refuses with
    // 0x83EA0008: a tag after the container would not belong to it.
    void WriteTag(const TagBytes& block) const;

  private:
    void FindTags();

    std::string path_;
    platform::UniqueFd fd_;
    uint64_t dataStart_ = 0;
    uint64_t dataSize_ = 0;
    uint64_t fileSize_ = 0;
    std::string tempPath_;
    std::optional<Window> window_;
};
