#include "mdb/PathRules.h"

#include <algorithm>

namespace mdb {

bool isAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

bool directoryOf(std::string_view path, std::string& dir) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) {
        return false;
    }
    dir.assign(path.substr(0, slash));
    return true;
}

std::string fileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string extensionOf(std::string_view path) {
    const size_t dot = path.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot + 1));
}

std::string joinPath(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (out.empty() || out.back() != '/') {
        out += '/';
    }
    out += name;
    return out;
}

std::string relativeForm(std::string_view path, std::string_view dir) {
    const bool inside = path.size() > dir.size() && path.substr(0, dir.size()) == dir &&
                        ((!dir.empty() && dir.back() == '/') || path[dir.size()] == '/');
    if (!inside) {
        return std::string(path);
    }
    const std::string_view rest = path.substr(dir.size());
    return std::string(rest.substr(std::min(rest.find_first_not_of('/'), rest.size())));
}

std::string resolvePath(std::string_view stored, std::string_view dir) {
    std::string path(stored);
    std::replace(path.begin(), path.end(), '\\', '/');
    return isAbsolutePath(path) ? path : joinPath(dir, path);
}

}  // namespace mdb
