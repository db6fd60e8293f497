// The rewrite of the flash's init script, one case per rule that decides
// what init runs at the next power-up.
#include "initscript.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct RewriteCase {
    const char *name;
    std::string text;
    const char *mode;
    bool write;
    std::string out;
};

const std::string kLine = "/bin/pickstart && /tmp/bm.sh";

const RewriteCase kCases[] = {
    // Switching the menu on.
    {"BM appends the line and disables fwpro", "#!/bin/sh\n/bin/fwpro-start &\necho ok\n", "BM",
     true, "#!/bin/sh\n: /bin/fwpro-start &\necho ok\n" + kLine},
    {"BM enables a line disabled with #", "#!/bin/sh\n#" + kLine + "\n", "BM", true,
     "#!/bin/sh\n " + kLine},
    {"BM enables an indented line disabled with #", "x\n  # " + kLine, "BM", true,
     "x\n    " + kLine},
    {"BM after FW leaves two blanks", "x\n: " + kLine, "BM", true, "x\n  " + kLine},
    {"BM with the line enabled writes nothing", "#!/bin/sh\n" + kLine, "BM", false,
     "#!/bin/sh\n" + kLine},
    {"BM leaves a disabled fwpro line alone", ": fwpro-start\n" + kLine + "\n", "BM", false,
     ": fwpro-start\n" + kLine},
    {"BM counts a tab-indented line as enabled", "x\n\t#" + kLine, "BM", false, "x\n\t#" + kLine},
    {"BM on an empty script", "", "BM", true, "\n" + kLine},
    {"BM on a script of empty lines", "\n\n", "BM", true, "\n" + kLine},
    {"BM: fwpro rule first, then the menu rule on its result", "/bin/fwpro && /tmp/bm.sh", "BM",
     true, "  /bin/fwpro && /tmp/bm.sh"},
    {"matching is case-sensitive", "/bin/FWPRO\n/tmp/BM.SH", "BM", true,
     "/bin/FWPRO\n/tmp/BM.SH\n" + kLine},

    // Switching it off.
    {"FW disables the line and keeps fwpro", "fwpro-start\n" + kLine + "\n", "FW", true,
     "fwpro-start\n: " + kLine},
    {"FW enables fwpro", "x\n: fwpro-start\n", "FW", true, "x\n  fwpro-start"},
    {"FW: fwpro enabled, then the same line disabled", "#fwpro bm.sh", "FW", true,
     ":  fwpro bm.sh"},
    {"FW disables a tab-indented line", "\t" + kLine, "FW", true, ": \t" + kLine},
    {"FW on an empty script writes nothing", "", "FW", false, ""},
    {"FW with nothing to change writes nothing", "fwpro\n#" + kLine, "FW", false,
     "fwpro\n#" + kLine},

    // Any other mode disables both kinds; the indentation of a disabled line.
    {"other mode, blanks in front: 0, 1, 2, 3, 4",
     "fwpro-a\n fwpro-b\n  fwpro-c\n   x bm.sh\n    fwpro-d", "bm", true,
     ": fwpro-a\n:  fwpro-b\n: fwpro-c\n : x bm.sh\n  : fwpro-d"},
    {"other mode never appends", "echo\n", "fw", false, "echo"},
    {"other mode with everything disabled", "#fwpro\n  :bm.sh", "", false, "#fwpro\n  :bm.sh"},

    // The text around the changed lines.
    {"leading empty lines vanish, inner ones stay", "\n\nA\n\nB\n", "BM", true, "A\n\nB\n" + kLine},
    {"a rewrite drops the final line feed", "A\n#" + kLine + "\n", "BM", true, "A\n " + kLine},
    {"carriage returns stay on their lines", "A\r\n#" + kLine + "\r\n", "BM", true,
     "A\r\n " + kLine + "\r"},
    {"line appended after a carriage return", "A\r\n", "BM", true, "A\r\n" + kLine},
    {"percent signs pass unchanged", "echo 100% %s %n\n#bm.sh", "BM", true,
     "echo 100% %s %n\n bm.sh"},
    {"tabs and NUL bytes pass unchanged", std::string("a\tb\0c\nfwpro", 11), "BM", true,
     std::string("a\tb\0c\n: fwpro\n", 14) + kLine},
};

TEST(InitScript, RewriteForMode) {
    for (const RewriteCase &c : kCases) {
        SCOPED_TRACE(c.name);
        eString out = "stale";
        EXPECT_EQ(rewriteInitScript(c.text, c.mode, out), c.write);
        EXPECT_EQ(std::string(out), c.out);
    }
}

} // namespace
