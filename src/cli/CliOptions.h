#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"

namespace cli {

// "--name value" options and positional arguments of a sub-command.
class CliOptions {
  public:
    // valueOptions take a value; flags stand alone. Fails on anything else.
    static std::optional<CliOptions> parse(const Args& args,
                                           const std::vector<std::string>& valueOptions,
                                           const std::vector<std::string>& flags = {});

    std::optional<std::string> value(const std::string& name) const;
    bool flag(const std::string& name) const;
    const std::vector<std::string>& positional() const { return positional_; }

  private:
    std::vector<std::pair<std::string, std::string>> values_;
    std::vector<std::string> flags_;
    std::vector<std::string> positional_;
};

}  // namespace cli
