#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cdinfo/CddbReply.h"

namespace ui::options {

// The CDDB page's server list: the servers last fetched ("CDDBServers",
// one a line), the default server whenever the fetched ones lack it, and
// the server in use, added when it is none of them.
class CddbServerList {
  public:
    CddbServerList(std::string_view stored, std::string_view current);

    // The servers of a reload replace the fetched ones: "%s %d HTTP %s"
    // for each that talks HTTP.
    void replace(const std::vector<cdinfo::CddbSite>& sites, std::string_view current);

    const std::vector<std::string>& entries() const { return entries_; }
    int selection() const { return selection_; }
    // The fetched servers as "CDDBServers" keeps them.
    std::string stored() const;

  private:
    void complete(std::string_view current);

    std::vector<std::string> fetched_;
    std::vector<std::string> entries_;
    int selection_ = -1;
};

}  // namespace ui::options
