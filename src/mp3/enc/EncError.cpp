#include "mp3/enc/EncError.h"

#include <cstdio>

namespace mp3::enc {

std::string EncError::describe() const {
    std::string text = module + "(" + std::to_string(line) + "): " + message;
    for (const EncError* e = inner.get(); e != nullptr; e = e->inner.get()) {
        text += " <- " + e->module + "(" + std::to_string(e->line) + "): " + e->message;
    }
    return text;
}

EncErrorPtr makeEncError(const char* module, int line, std::string message, EncErrorPtr inner) {
    auto error = std::make_unique<EncError>();
    error->module = module;
    error->line = line;
    error->message = std::move(message);
    error->inner = std::move(inner);
    return error;
}

const EncError& encErrorOutOfMemory() {
    static const EncError kRecord{"errorhnd", 0,
                                  "errorhnd.c: the error handler has run out of memory", nullptr};
    return kRecord;
}

namespace {
std::string invariantReport(const char* what, const char* file, int line) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "##########\nfatal error: %s in file %s, %d"
                  "\nThis is a program design failure - Aborting.\n##########\n",
                  what, file, line);
    return text;
}
}  // namespace

EncInvariantError::EncInvariantError(const char* what, const char* file, int line)
    : std::logic_error(what), report_(invariantReport(what, file, line)) {}

void encInvariantFailed(const char* what, const char* file, int line) {
    throw EncInvariantError(what, file, line);
}

}  // namespace mp3::enc
