#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mdb {

// Field encoding of the library's CSV files.

// The library file keeps at most this much of a title, artist, album or
// comment, so that every line it writes reads back.
constexpr size_t kMaxFieldBytes = 8 * 1024;

// Appends a text field. Texts holding a comma or starting with a double
// quote are quoted (quotes doubled) so that they read back unchanged; line
// breaks become spaces because a line break always ends a record.
void appendCsvText(std::string& line, std::string_view text);
// Appends an unsigned decimal number.
void appendCsvNumber(std::string& line, uint32_t value);

// Takes the fields of one line from its front. A failed take means the line
// is bad; the reader is then spent.
class CsvFields {
  public:
    explicit CsvFields(std::string_view line);

    std::optional<std::string> text();
    // One or more decimal digits that fit 32 bits unsigned.
    std::optional<uint32_t> number();

  private:
    std::string line_;  // the line with one comma appended
    size_t pos_ = 0;
};

}  // namespace mdb
