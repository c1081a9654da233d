#include "mdb/AtomicFile.h"

#include "mdb/Exceptions.h"
#include "mdb/PathRules.h"

namespace mdb {

namespace {

constexpr size_t kBufferLimit = 1 << 16;

}  // namespace

AtomicFile::AtomicFile(FileOps& files, std::string target, std::string temp, std::string errorPath)
    : files_(files),
      target_(std::move(target)),
      temp_(std::move(temp)),
      errorPath_(errorPath.empty() ? temp_ : std::move(errorPath)),
      out_(files_.create(temp_)) {
    if (!out_) {
        throw FileIOException(errorPath_);
    }
}

AtomicFile::~AtomicFile() {
    if (!committed_) {
        out_->close();
        files_.remove(temp_);
    }
}

void AtomicFile::writeLine(std::string_view line) {
    buffer_.append(line);
    buffer_ += '\n';
    if (buffer_.size() >= kBufferLimit) {
        flushBuffer();
    }
}

void AtomicFile::flushBuffer() {
    if (!buffer_.empty() && !out_->write(buffer_)) {
        throw IOException();
    }
    buffer_.clear();
}

void AtomicFile::commit(const std::string& renameErrorPath) {
    flushBuffer();
    if (!out_->sync() || !out_->close()) {
        throw FileIOException(errorPath_);
    }
    if (!files_.rename(temp_, target_)) {
        throw FileIOException(renameErrorPath.empty() ? target_ : renameErrorPath);
    }
    committed_ = true;
    std::string dir;
    if (directoryOf(target_, dir)) {
        // The rename is done; a failed directory sync only weakens the
        // guarantee against power loss, it loses nothing.
        files_.syncDirectory(dir);
    }
}

std::string AtomicFile::tempNameFor(const std::string& target) {
    std::string dir;
    if (!directoryOf(target, dir)) {
        return "." + target + ".tmp";
    }
    return joinPath(dir, "." + fileNameOf(target) + ".tmp");
}

}  // namespace mdb
