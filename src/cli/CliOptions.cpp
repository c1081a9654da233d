#include "cli/CliOptions.h"

#include <algorithm>

namespace cli {

namespace {

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

std::optional<CliOptions> CliOptions::parse(const Args& args,
                                            const std::vector<std::string>& valueOptions,
                                            const std::vector<std::string>& flags) {
    CliOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (contains(valueOptions, a) && i + 1 < args.size()) {
            o.values_.emplace_back(a, args[++i]);
        } else if (contains(flags, a)) {
            o.flags_.push_back(a);
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return std::nullopt;
        } else {
            o.positional_.push_back(a);
        }
    }
    return o;
}

std::optional<std::string> CliOptions::value(const std::string& name) const {
    for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
        if (it->first == name)
            return it->second;
    }
    return std::nullopt;
}

bool CliOptions::flag(const std::string& name) const {
    return contains(flags_, name);
}

}  // namespace cli
