#pragma once

#include <string>
#include <utility>

#include "stream/CNxSSException.h"

// A CNxSSException that also carries words for the user about what the
// code alone does not tell (which codec is missing, why a format cannot be
// written). Catch sites that take only the code see a plain CNxSSException.
class CNxSSDetailedException : public CNxSSException {
  public:
    CNxSSDetailedException(uint32_t code, std::string detail)
        : CNxSSException(code), detail_(std::move(detail)) {}
    const std::string& Detail() const { return detail_; }

  private:
    std::string detail_;
};
