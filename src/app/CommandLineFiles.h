#pragma once

#include <string>
#include <vector>

namespace app {

// The files named by the program's arguments (after the program's name):
// arguments beginning with "-" are options; the others are made absolute
// against the current folder and kept when they name an existing regular
// file. "/" cannot mark an option here: it begins every absolute path.
std::vector<std::string> commandLineFiles(const std::vector<std::string>& arguments);

}  // namespace app
