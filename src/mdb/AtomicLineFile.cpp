#include "mdb/AtomicLineFile.h"

#include "mdb/Exceptions.h"

namespace mdb {

namespace {

constexpr size_t kBufferLimit = 1 << 16;

}  // namespace

AtomicLineFile::AtomicLineFile(FileOps& files, std::string target)
    : target_(std::move(target)), file_(files.createBeside(target_)) {
    if (!file_) {
        throw FileIOException(target_);
    }
}

void AtomicLineFile::writeLine(std::string_view line) {
    buffer_.append(line);
    buffer_ += '\n';
    if (buffer_.size() >= kBufferLimit) {
        flushBuffer();
    }
}

void AtomicLineFile::flushBuffer() {
    if (!buffer_.empty() && !file_->write(buffer_)) {
        throw IOException();
    }
    buffer_.clear();
}

void AtomicLineFile::commit() {
    flushBuffer();
    if (!file_->publish()) {
        throw FileIOException(target_);
    }
}

}  // namespace mdb
