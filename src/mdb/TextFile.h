#pragma once

#include <string>

namespace mdb {

// A text file read whole, handed out line by line. Lines end at LF; a CR
// before it is dropped, and each line is taken as UTF-8 when valid, else
// as CP932 (files from the original desktop).
class TextFile {
  public:
    // Throws FileIOException(path) when the file cannot be opened or read.
    explicit TextFile(const std::string& path);
    // Wraps text already in memory.
    static TextFile fromText(std::string text);

    // The line starting at `pos`; advances `pos`. False at the end.
    bool nextLine(size_t& pos, std::string& line) const;
    const std::string& text() const { return text_; }

  private:
    TextFile() = default;
    std::string text_;
};

}  // namespace mdb
