#include "bootrun.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

void prepareBox()
{
    sandbox::makeDirs("/var/tuxbox/config/enigma");
}

BootRun runPickstart()
{
    BootRun run;
    std::string cmd = sandbox::binaryDir() + "/bin/pickstart 2>&1";
    FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return run;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        run.output.append(buf, n);
    int status = pclose(p);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}
