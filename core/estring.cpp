#include "estring.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

eString eString::right(unsigned n) const {
    if (size() <= n) return *this;
    return eString(substr(size() - n));
}

eString eString::upper() const {
    eString out(*this);
    for (char &c : out)
        c = (char)toupper((unsigned char)c);
    return out;
}

eString &eString::sprintf(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list again;
    va_copy(again, ap);
    int n = vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    if (n < 0) {
        clear();
    } else {
        std::string buf(size_t(n) + 1, '\0');
        vsnprintf(&buf[0], buf.size(), fmt, again);
        buf.resize(size_t(n));
        assign(buf);
    }
    va_end(again);
    return *this;
}
