#include "ui/options/CddbServerList.h"

#include <algorithm>

#include "cdinfo/CddbClient.h"
#include "ui/options/OptionTexts.h"

namespace ui::options {
namespace {

bool startsWithServer(std::string_view entry, std::string_view host) {
    return entry.starts_with(host) && (entry.size() == host.size() || entry[host.size()] == ' ');
}

std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> result;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            result.emplace_back(line);
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return result;
}

}  // namespace

CddbServerList::CddbServerList(std::string_view stored, std::string_view current)
    : fetched_(lines(stored)) {
    complete(current);
}

void CddbServerList::replace(const std::vector<cdinfo::CddbSite>& sites, std::string_view current) {
    fetched_.clear();
    for (const cdinfo::CddbSite& site : sites) {
        if (site.protocol == "http") {
            fetched_.push_back(site.host + " " + std::to_string(site.port) + " HTTP " + site.path);
        }
    }
    complete(current);
}

void CddbServerList::complete(std::string_view current) {
    entries_ = fetched_;
    const std::string_view host = cdinfo::kDefaultCddbHost;
    if (std::none_of(entries_.begin(), entries_.end(),
                     [host](const std::string& e) { return startsWithServer(e, host); })) {
        entries_.push_back(std::string(host) + std::string(texts::kDefaultServerSuffix));
    }
    const auto chosen =
        std::find_if(entries_.begin(), entries_.end(),
                     [current](const std::string& e) { return e.starts_with(current); });
    if (chosen == entries_.end()) {
        entries_.emplace_back(current);
        selection_ = static_cast<int>(entries_.size()) - 1;
    } else {
        selection_ = static_cast<int>(chosen - entries_.begin());
    }
}

std::string CddbServerList::stored() const {
    std::string text;
    for (const std::string& line : fetched_) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

}  // namespace ui::options
