#pragma once

#include <string>
#include <vector>

namespace cdinfo {

struct CServeEntry {
    std::string host;
    int port = 0;
    std::string path;
    bool enabled = false;  // reachable over HTTP, the only way the program talks
};

// The CDDB servers a server knows of.
struct CServeList {
    std::vector<CServeEntry> servers;

    int GetCount() const { return static_cast<int>(servers.size()); }
};

}  // namespace cdinfo
