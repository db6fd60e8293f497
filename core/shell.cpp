#include "shell.h"

#include <cstdlib>
#include <cstring>

int runShell(const eString &command) {
    return system(command.c_str());
}

eString shellQuote(const eString &text) {
    static const char plain[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                "0123456789_-./+:@%,=";
    if (!text.empty() && text.find_first_not_of(plain) == std::string::npos) return text;
    eString out("'");
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    out += "'";
    return out;
}
