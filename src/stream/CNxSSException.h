#pragma once

#include <cstdint>
#include <exception>

// The stream framework's one exception: it carries a result code and
// nothing else; every catch site takes only the code.
class CNxSSException : public std::exception {
  public:
    explicit CNxSSException(uint32_t code) : code_(code) {}
    uint32_t Code() const { return code_; }
    const char* what() const noexcept override { return "CNxSSException"; }

  private:
    uint32_t code_;
};
