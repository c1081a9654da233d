#pragma once

#include <exception>
#include <string>

namespace mdb {

// Root of the database's own failures. The message is the payload callers
// show (a path or a name); what() returns the same text.
class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const noexcept { return message_; }

  private:
    std::string message_;
};

// A line could not be written to an export stream.
class IOException : public Exception {
  public:
    IOException() : Exception("") {}

  protected:
    explicit IOException(std::string message) : Exception(std::move(message)) {}
};

// A file could not be opened, read, written or moved into place; the
// message is the file's path.
class FileIOException : public IOException {
  public:
    explicit FileIOException(std::string path) : IOException(std::move(path)) {}
};

// A named group or playlist, or an item asked for by object, is missing.
class NotFoundException : public Exception {
  public:
    explicit NotFoundException(std::string name = "Unknown") : Exception(std::move(name)) {}
};

// A playlist name is already in use.
class AlreadyExistsException : public Exception {
  public:
    explicit AlreadyExistsException(std::string name) : Exception(std::move(name)) {}
};

// Another process holds the library folder for writing; the message is the
// folder.
class LibraryInUseException : public Exception {
  public:
    LibraryInUseException(std::string folder, std::string holder)
        : Exception(std::move(folder)), holder_(std::move(holder)) {}
    // The holding program and its process id ("melodux (process 42)"), or
    // "" when it could not be told.
    const std::string& holder() const noexcept { return holder_; }

  private:
    std::string holder_;
};

}  // namespace mdb
