// The two scripts that hand the box over to the chosen image: "/tmp/bm.sh",
// which init runs after us, and "go" at the top of the image, which
// "/tmp/bm.sh" starts under chroot.
#include "menuapp.h"

#include "boxpaths.h"
#include "shell.h"

#include <cstdio>

int MenuApp::writeBootScript(eString location) {
    FILE *f = fopen(boxpath::bootScript, "w");
    if (!f) return 0;
    fputs("#!/bin/sh\n", f);
    if (location.empty()) {
        fputs("echo booting flash image...\n", f);
    } else {
        // Stop the flash system's services before the image takes over.
        fputs("killall -9 smbd\n"
              "killall -9 nmbd\n"
              "killall -9 inetd\n"
              "killall -9 rcS\n"
              "killall -9 init\n",
              f);
        // The directory name comes from the medium: quote it when the shell
        // would read it as anything but a path.
        fprintf(f, "chroot %s ../go\n", shellQuote(location).c_str());
    }
    fclose(f);
    return runShell(eString("chmod 755 ") + boxpath::bootScript);
}

void MenuApp::writeGoScript(eString location) {
    eString path = location + "/go";
    FILE *f = fopen(path.c_str(), "w");
    if (!f) return;
    fputs("#!/bin/sh\n\n"
          "mount -t devfs dev /dev\n"
          "/etc/init.d/rcS&\n",
          f);
    fclose(f);
    runShell("chmod 755 " + shellQuote(path));
}
