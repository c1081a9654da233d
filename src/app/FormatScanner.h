#pragma once

#include <cstdint>
#include <string_view>

namespace app {

// Reads the fixed formats of composite settings strictly: numbers without
// spaces, within 32 bits, literals exactly as written. Any miss makes the
// whole value unreadable, so a damaged value never half-applies.
class FormatScanner {
  public:
    explicit FormatScanner(std::string_view text) : rest_(text) {}

    // A decimal number with an optional sign ("%d").
    bool decimal(int32_t& value);
    // A number as "%i" reads it: decimal, "0x" hexadecimal or "0" octal.
    bool integer(int32_t& value);
    bool literal(char c);
    bool atEnd() const { return rest_.empty(); }

  private:
    bool number(int32_t& value, int base);

    std::string_view rest_;
};

}  // namespace app
