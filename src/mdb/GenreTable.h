#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace mdb {

// Genre numbers to names: the ID3v1 standard list 0-79 built in, extended
// or renamed by a "genre.dat" file of "number,name" lines.
class GenreTable {
  public:
    static constexpr uint32_t kSize = 257;
    static constexpr uint32_t kUnknownSlot = 256;

    GenreTable();

    // The name of `number`; "Unknown" for numbers beyond the table and for
    // slots without a name.
    const std::string& name(uint32_t number) const;
    // Leading slots in use: 80 plus what genre.dat added.
    uint32_t count() const { return count_; }
    // Reads a genre.dat file; a file that cannot be opened throws
    // FileIOException and leaves the table unchanged. Bad lines are skipped.
    void load(const std::string& path);

  private:
    std::array<std::string, kSize> names_;
    uint32_t count_;
};

}  // namespace mdb
