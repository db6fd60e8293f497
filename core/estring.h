// eString: the text type of the core's interfaces, a standard byte string
// with the few helpers the box's code is used to.
#pragma once

#include <string>

class eString : public std::string {
  public:
    using std::string::string;
    eString() = default;
    eString(const std::string &s) : std::string(s) {}
    eString(std::string &&s) : std::string(std::move(s)) {}

    // The last n characters, or the whole string when it is not longer.
    eString right(unsigned n) const;
    eString upper() const;
    // Replaces the content with the formatted text; never overflows, however
    // long the arguments are.
    eString &sprintf(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
};
