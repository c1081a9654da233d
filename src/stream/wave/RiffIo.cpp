#include "stream/wave/RiffIo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

bool HasFormType(uint32_t id) {
    return id == riff::kRiff || id == riff::kList;
}

uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

}  // namespace

RiffIo::RiffIo(platform::UniqueFd fd) : fd_(std::move(fd)) {
    struct stat st {};
    if (fd_.valid() && ::fstat(fd_.get(), &st) == 0) {
        fileSize_ = static_cast<uint64_t>(st.st_size);
    }
}

riff::Error RiffIo::ReadAt(uint64_t offset, void* buffer, size_t bytes, size_t& got) const {
    got = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (got < bytes) {
        const ssize_t n =
            ::pread(fd_.get(), out + got, bytes - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return riff::kCannotRead;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    return riff::kOk;
}

riff::Error RiffIo::WriteAt(uint64_t offset, const void* buffer, size_t bytes) {
    if (offset + bytes > kMaxFileSize) {
        return riff::kCannotWrite;
    }
    const auto* in = static_cast<const uint8_t*>(buffer);
    for (size_t done = 0; done < bytes;) {
        const ssize_t n =
            ::pwrite(fd_.get(), in + done, bytes - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return riff::kCannotWrite;
        }
        done += static_cast<size_t>(n);
    }
    fileSize_ = std::max(fileSize_, offset + bytes);
    return riff::kOk;
}

riff::Error RiffIo::Read(void* buffer, size_t bytes, size_t& got) {
    const riff::Error e = ReadAt(position_, buffer, bytes, got);
    position_ += got;
    return e;
}

riff::Error RiffIo::Write(const void* buffer, size_t bytes) {
    const riff::Error e = WriteAt(position_, buffer, bytes);
    if (e == riff::kOk) {
        position_ += bytes;
    }
    return e;
}

riff::Error RiffIo::ReadHeader(RiffChunk& chunk, uint64_t end) {
    uint8_t header[12];
    const size_t wanted = 8;
    if (position_ + wanted > end) {
        return riff::kChunkNotFound;
    }
    size_t got = 0;
    if (const riff::Error e = ReadAt(position_, header, wanted, got); e != riff::kOk) {
        return e;
    }
    if (got < wanted) {
        return riff::kChunkNotFound;
    }
    chunk = RiffChunk{Le32(header), Le32(header + 4), 0, position_ + 8, false};
    if (HasFormType(chunk.id)) {
        if (chunk.dataOffset + 4 > end) {
            return riff::kChunkNotFound;
        }
        if (const riff::Error e = ReadAt(chunk.dataOffset, header + 8, 4, got); e != riff::kOk) {
            return e;
        }
        if (got < 4) {
            return riff::kChunkNotFound;
        }
        chunk.formType = Le32(header + 8);
    }
    return riff::kOk;
}

bool RiffIo::Matches(const RiffChunk& found, const RiffChunk& wanted, uint32_t flags) {
    if (flags & riff::kFindRiff) {
        return found.id == riff::kRiff && found.formType == wanted.formType;
    }
    if (flags & riff::kFindList) {
        return found.id == riff::kList && found.formType == wanted.formType;
    }
    if (flags & riff::kFindChunk) {
        return found.id == wanted.id;
    }
    return true;
}

riff::Error RiffIo::Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t flags) {
    uint64_t end = fileSize_;
    if (parent) {
        end = std::min<uint64_t>(end, parent->dataOffset + parent->size);
    }
    for (;;) {
        RiffChunk found;
        if (const riff::Error e = ReadHeader(found, end); e != riff::kOk) {
            return e;
        }
        if (Matches(found, chunk, flags)) {
            chunk = found;
            position_ = found.dataOffset + (HasFormType(found.id) ? 4 : 0);
            return riff::kOk;
        }
        position_ = found.End();
    }
}

riff::Error RiffIo::Ascend(RiffChunk& chunk) {
    if (chunk.dirty) {
        if (position_ < chunk.dataOffset || position_ - chunk.dataOffset > 0xFFFFFFFFu) {
            return riff::kCannotWrite;
        }
        const auto size = static_cast<uint32_t>(position_ - chunk.dataOffset);
        uint8_t field[4];
        PutLe32(field, size);
        if (const riff::Error e = WriteAt(chunk.dataOffset - 4, field, 4); e != riff::kOk) {
            return e;
        }
        const uint8_t pad = 0;
        if ((size & 1) != 0) {
            if (const riff::Error e = WriteAt(position_, &pad, 1); e != riff::kOk) {
                return e;
            }
        }
        chunk.size = size;
        chunk.dirty = false;
    }
    position_ = chunk.End();
    return riff::kOk;
}

riff::Error RiffIo::CreateChunk(RiffChunk& chunk, uint32_t flags) {
    if (flags & riff::kCreateRiff) {
        chunk.id = riff::kRiff;
    } else if (flags & riff::kCreateList) {
        chunk.id = riff::kList;
    }
    uint8_t header[12];
    PutLe32(header, chunk.id);
    PutLe32(header + 4, chunk.size);
    PutLe32(header + 8, chunk.formType);
    const size_t length = HasFormType(chunk.id) ? 12 : 8;
    if (const riff::Error e = WriteAt(position_, header, length); e != riff::kOk) {
        return e;
    }
    chunk.dataOffset = position_ + 8;
    chunk.dirty = true;
    position_ += length;
    return riff::kOk;
}
