#include "platform/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace platform {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// One iconv conversion descriptor, closed on scope exit.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts all of `in`; an invalid or unconvertible sequence of
    // `badLength(byte)` bytes is replaced by `replacement`.
    template <typename BadLength>
    std::string convert(std::string_view in, std::string_view replacement, BadLength badLength) {
        std::string out;
        char buffer[256];
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        while (left > 0) {
            char* dst = buffer;
            size_t room = sizeof buffer;
            const size_t rc = iconv(cd_, &src, &left, &dst, &room);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
                const size_t skip = std::min(left, badLength(static_cast<unsigned char>(*src)));
                out.append(replacement);
                src += skip;
                left -= skip;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

  private:
    iconv_t cd_;
};

size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) {
    Iconv cd("UTF-8", "CP932");
    return cd.convert(cp932, kReplacementUtf8, cp932CharLength);
}

std::string utf8ToCp932(std::string_view utf8) {
    Iconv cd("CP932", "UTF-8");
    return cd.convert(utf8, "?", utf8SequenceLength);
}

bool isValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t n = utf8SequenceLength(lead);
        if ((n == 1 && lead >= 0x80) || i + n > text.size()) {
            return false;
        }
        for (size_t k = 1; k < n; ++k) {
            if (!isContinuation(static_cast<unsigned char>(text[i + k]))) {
                return false;
            }
        }
        i += n;
    }
    return true;
}

std::string toUtf8Guess(std::string_view text) {
    return isValidUtf8(text) ? std::string(text) : cp932ToUtf8(text);
}

size_t cp932CharLength(unsigned char lead) {
    const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return doubleByte ? 2 : 1;
}

std::string_view cp932Truncate(std::string_view cp932, size_t maxBytes) {
    size_t end = 0;
    while (end < cp932.size()) {
        const size_t n = cp932CharLength(static_cast<unsigned char>(cp932[end]));
        if (end + n > maxBytes || end + n > cp932.size()) {
            break;
        }
        end += n;
    }
    return cp932.substr(0, end);
}

std::string_view utf8Truncate(std::string_view utf8, size_t maxBytes) {
    if (utf8.size() <= maxBytes) {
        return utf8;
    }
    size_t end = maxBytes;
    while (end > 0 && isContinuation(static_cast<unsigned char>(utf8[end]))) {
        --end;
    }
    return utf8.substr(0, end);
}

size_t utf8CharLength(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return i + n <= text.size() && isValidUtf8(text.substr(i, n)) ? n : 0;
}

}  // namespace platform
