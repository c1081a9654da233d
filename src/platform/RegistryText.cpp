#include "platform/RegistryText.h"

#include <cstdio>
#include <utility>

#include "platform/AsciiText.h"
#include "platform/TextCodec.h"

namespace platform {

namespace {

constexpr std::string_view kHeader = "; MP3 Melodux settings\n";

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// One line being read, with the position of the next character.
class LineReader {
  public:
    explicit LineReader(std::string_view line) : line_(line) {}

    bool atEnd() const { return pos_ >= line_.size(); }
    char peek() const { return atEnd() ? '\0' : line_[pos_]; }
    void skipSpaces() {
        while (!atEnd() && (line_[pos_] == ' ' || line_[pos_] == '\t')) {
            ++pos_;
        }
    }
    bool take(char c) {
        if (peek() != c) {
            return false;
        }
        ++pos_;
        return true;
    }
    bool takeWord(std::string_view word) {
        if (line_.size() - pos_ < word.size() ||
            !equalsIgnoreCase(line_.substr(pos_, word.size()), word)) {
            return false;
        }
        pos_ += word.size();
        return true;
    }
    // Reads up to `max` hex digits (at least one) into `value`.
    bool takeHex(size_t max, uint32_t& value) {
        size_t n = 0;
        value = 0;
        for (; n < max && !atEnd() && hexDigit(line_[pos_]) >= 0; ++n, ++pos_) {
            value = value << 4 | static_cast<uint32_t>(hexDigit(line_[pos_]));
        }
        return n > 0;
    }
    // Reads a quoted text after its opening quote; returns an error or "".
    const char* takeQuoted(std::string& out) {
        while (!atEnd()) {
            const char c = line_[pos_++];
            if (c == '"') {
                return "";
            }
            if (c == '\\') {
                if (!takeEscape(out)) {
                    return "不正なエスケープです";
                }
            } else if (isControl(static_cast<unsigned char>(c)) && c != '\t') {
                return "制御文字が含まれています";
            } else {
                out += c;
            }
        }
        return "引用符が閉じていません";
    }

  private:
    bool takeEscape(std::string& out) {
        static constexpr std::pair<char, char> kSimple[] = {
            {'\\', '\\'}, {'"', '"'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'}};
        const char c = peek();
        ++pos_;
        for (const auto& [written, meant] : kSimple) {
            if (c == written) {
                out += meant;
                return true;
            }
        }
        const size_t start = pos_;
        uint32_t v = 0;
        if (c != 'x' || !takeHex(2, v) || pos_ - start != 2) {
            return false;
        }
        out += static_cast<char>(v);
        return true;
    }

    std::string_view line_;
    size_t pos_ = 0;
};

class HiveParser {
  public:
    explicit HiveParser(RegistryHive& hive) : hive_(hive) {}

    // Returns an error text, or "" when the line is fine.
    const char* line(std::string_view text) {
        text = trim(text);
        if (text.empty() || text.front() == ';' || text.front() == '#') {
            return "";
        }
        if (text.front() == '[') {
            return section(text);
        }
        if (text.front() == '"') {
            return value(text);
        }
        return "解釈できない行です";
    }

  private:
    const char* section(std::string_view text) {
        if (text.back() != ']' || text.size() < 2) {
            return "']' で閉じていません";
        }
        const std::string_view inner = text.substr(1, text.size() - 2);
        for (const char c : inner) {
            if (isControl(static_cast<unsigned char>(c))) {
                return "制御文字が含まれています";
            }
        }
        const std::string path = RegistryHive::normaliseKey(inner);
        if (path.empty()) {
            return "キー名が空です";
        }
        key_ = &hive_.createKey(path);
        return "";
    }

    const char* value(std::string_view text) {
        if (key_ == nullptr) {
            return "キーより前に値があります";
        }
        LineReader in(text);
        in.take('"');
        std::string name;
        if (const char* e = in.takeQuoted(name); *e != '\0') {
            return e;
        }
        in.skipSpaces();
        if (!in.take('=')) {
            return "'=' がありません";
        }
        in.skipSpaces();
        RegValue v;
        if (const char* e = data(in, v); *e != '\0') {
            return e;
        }
        in.skipSpaces();
        if (!in.atEnd()) {
            return "行末に余分な文字があります";
        }
        hive_.set(*key_, name, v);
        return "";
    }

    static const char* data(LineReader& in, RegValue& v) {
        if (in.take('"')) {
            std::string s;
            const char* e = in.takeQuoted(s);
            v = RegValue::text(s);
            return e;
        }
        if (in.takeWord("dword:")) {
            uint32_t n = 0;
            const bool ok = in.takeHex(8, n);
            v = RegValue::dword(n);
            return ok ? "" : "dword の値が不正です";
        }
        if (in.takeWord("hex:")) {
            return hexBytes(in, v);
        }
        return "不明な値の型です";
    }

    static const char* hexBytes(LineReader& in, RegValue& v) {
        std::vector<uint8_t> bytes;
        in.skipSpaces();
        while (!in.atEnd()) {
            uint32_t b = 0;
            if (!in.takeHex(2, b)) {
                return "hex の値が不正です";
            }
            bytes.push_back(static_cast<uint8_t>(b));
            in.skipSpaces();
            if (!in.atEnd() && (!in.take(',') || (in.skipSpaces(), in.atEnd()))) {
                return "hex の値が不正です";
            }
        }
        v = RegValue::binary(std::move(bytes));
        return "";
    }

    RegistryHive& hive_;
    RegistryHive::Key* key_ = nullptr;  // of the last section
};

void appendEscapedByte(std::string& out, unsigned char c) {
    switch (c) {
        case '\\':
            out += "\\\\";
            return;
        case '"':
            out += "\\\"";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
}

void appendQuoted(std::string& out, std::string_view s) {
    out += '"';
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = utf8CharLength(s, i);
        if (n == 0 || isControl(c) || c == '\\' || c == '"') {
            appendEscapedByte(out, c);
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    out += '"';
}

void appendData(std::string& out, const RegValue& v) {
    if (v.type == RegType::Dword && v.data.size() == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", *v.asDword());
        out += text;
    } else if (v.type == RegType::Sz) {
        appendQuoted(out,
                     std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()));
    } else {
        out += "hex:";
        for (size_t i = 0; i < v.data.size(); ++i) {
            char text[4];
            std::snprintf(text, sizeof text, i == 0 ? "%02x" : ",%02x", v.data[i]);
            out += text;
        }
    }
}

}  // namespace

bool parseRegistryText(std::string_view text, RegistryHive& hive, RegistryParseError& error) {
    hive = RegistryHive();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    HiveParser parser(hive);
    size_t lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (const char* e = parser.line(line); *e != '\0') {
            hive = RegistryHive();
            error = RegistryParseError{lineNo, e};
            return false;
        }
    }
    return true;
}

std::string renderRegistryText(const RegistryHive& hive) {
    std::string out(kHeader);
    for (const RegistryHive::Key& key : hive.keys()) {
        out += '\n';
        out += '[' + key.path + "]\n";
        for (const RegistryHive::Value& v : key.values) {
            appendQuoted(out, v.name);
            out += '=';
            appendData(out, v.value);
            out += '\n';
        }
    }
    return out;
}

}  // namespace platform
