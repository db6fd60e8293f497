#include "initscript.h"

const char activationLine[] = "/bin/pickstart && /tmp/bm.sh";

namespace {

size_t firstNonBlank(const eString &line) {
    size_t at = line.find_first_not_of(' ');
    return at == std::string::npos ? line.size() : at;
}

bool contains(const eString &line, const char *word) {
    return line.find(word) != std::string::npos;
}

// Brings the line into the wanted state; notes when that changed it.
void setEnabled(eString &line, bool enabled, bool &changed) {
    if (lineDisabled(line) != enabled) return;
    line = enabled ? enableLine(line) : disableLine(line);
    changed = true;
}

} // namespace

bool lineDisabled(const eString &line) {
    size_t at = firstNonBlank(line);
    return at < line.size() && (line[at] == '#' || line[at] == ':');
}

eString disableLine(const eString &line) {
    size_t at = firstNonBlank(line);
    if (at <= 1) return ": " + line;
    eString out(line);
    out[at - 2] = ':';
    return out;
}

eString enableLine(const eString &line) {
    eString out(line);
    size_t at = firstNonBlank(out);
    if (at < out.size()) out[at] = ' ';
    return out;
}

bool rewriteInitScript(const eString &text, const eString &mode, eString &out) {
    const bool bootMenu = mode == "BM";
    const bool firmware = mode == "FW";
    bool found = false;
    bool changed = false;
    out.clear();

    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        eString line(text, start, end - start);
        start = end + 1;

        // The "bm.sh" rule sees what the "fwpro" rule left of the line.
        if (contains(line, "fwpro")) setEnabled(line, firmware, changed);
        if (contains(line, "bm.sh")) {
            setEnabled(line, bootMenu, changed);
            found = found || bootMenu;
        }

        if (out.empty())
            out = line;
        else
            out += "\n" + line;
    }

    if (bootMenu && !found) {
        out += "\n";
        out += activationLine;
        return true;
    }
    return changed;
}
