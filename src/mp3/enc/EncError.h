#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace mp3::enc {

// A failure of the encoder: where it was found and why, chained to the
// failure of the step that caused it.
struct EncError {
    std::string module;
    int line = 0;
    std::string message;
    std::unique_ptr<EncError> inner;

    // The whole chain, outermost first: "module(line): message <- ...".
    std::string describe() const;
};

using EncErrorPtr = std::unique_ptr<EncError>;

EncErrorPtr makeEncError(const char* module, int line, std::string message,
                         EncErrorPtr inner = nullptr);

// The record the error handler gives when it cannot allocate its own.
const EncError& encErrorOutOfMemory();

// A broken invariant of the encoder itself. It ends the encoding job that met
// it (the handle reports it as a failure), never the process.
class EncInvariantError : public std::logic_error {
  public:
    EncInvariantError(const char* what, const char* file, int line);
    // The report text of the failure, as shown to a developer.
    const std::string& report() const { return report_; }

  private:
    std::string report_;
};

[[noreturn]] void encInvariantFailed(const char* what, const char* file, int line);

}  // namespace mp3::enc

#define MP3ENC_ERROR(module, message) ::mp3::enc::makeEncError(module, __LINE__, message)
#define MP3ENC_ERROR_CHAIN(module, message, inner) \
    ::mp3::enc::makeEncError(module, __LINE__, message, inner)
#define MP3ENC_CHECK(cond)                                             \
    do {                                                               \
        if (!(cond))                                                   \
            ::mp3::enc::encInvariantFailed(#cond, __FILE__, __LINE__); \
    } while (false)
