#pragma once

#include <cstddef>
#include <string>

namespace mdb {

// A text file read whole, handed out line by line. Lines end at LF; a CR
// before it is dropped, and each line is taken as UTF-8 when valid, else
// as CP932 (files from the original desktop).
class TextFile {
  public:
    // Longer lines come from damaged or hostile files; nothing this program
    // writes comes near (a path and four text fields of at most
    // kMaxFieldBytes, each quoted, and the numbers).
    static constexpr size_t kMaxLineBytes = 128 * 1024;

    // Where reading stands: the offset and the number of the line last
    // read (from 1).
    struct Cursor {
        size_t pos = 0;
        size_t line = 0;
        bool tooLong = false;  // the line last read was longer than kMaxLineBytes
    };

    // Throws FileIOException(path) when the file cannot be opened or read,
    // or is not a regular file (a device or pipe would never end).
    explicit TextFile(const std::string& path);
    // Wraps text already in memory.
    static TextFile fromText(std::string text);

    // The next line; advances the cursor. A line that is too long is not
    // copied: `line` comes back empty with `tooLong` set. False at the end.
    bool nextLine(Cursor& at, std::string& line) const;
    const std::string& text() const { return text_; }

  private:
    TextFile() = default;
    std::string text_;
};

}  // namespace mdb
