#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cdinfo {

// A category of the CDDB service: one short lower-case word. Anything else
// is refused before it becomes part of a path or a request.
bool isCddbCategory(std::string_view text);

// Maps CDDB categories and DGENRE texts onto the program's genre table
// (the names handed over by the user interface, in table order) and back.
class GenreMap {
  public:
    static constexpr int kNoGenre = 255;

    void setNames(std::vector<std::string> names) { names_ = std::move(names); }

    // The genre whose name equals the DGENRE text (ASCII case ignored),
    // else the one that stands for the category, else kNoGenre.
    int genreFor(std::string_view dgenre, std::string_view category) const;
    // The category a genre belongs to; "misc" when none fits.
    std::string categoryFor(int genre) const;
    // The genre's name; empty for kNoGenre and numbers outside the table.
    std::string nameOf(int genre) const;

  private:
    int find(std::string_view name) const;

    std::vector<std::string> names_;
};

}  // namespace cdinfo
