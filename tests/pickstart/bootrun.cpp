#include "bootrun.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int remoteFd = -1;
int frontFd = -1;

void run(const std::string &command) {
    if (system(command.c_str()) != 0) ADD_FAILURE() << "failed: " << command;
}

void send(int fd, unsigned short value) {
    if (write(fd, &value, 2) != 2) ADD_FAILURE() << "key device not writable";
}

} // namespace

void prepareBox() {
    const std::string src = sandbox::sourceDir();
    run("sh " + src + "/box/standin/install.sh /");
    // The fallback skin only: each test puts the skins it lists in place.
    sandbox::makeDirs("/share/tuxbox/enigma/boot");
    sandbox::makeDirs("/var/tuxbox/config/enigma/boot");
    run("cp " + src + "/box/skins/fallback/blank.skin " + src +
        "/box/skins/fallback/blank.png /share/tuxbox/enigma/boot/");
    sandbox::makeDirs("/share/fonts");
    run("cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /share/fonts/pakenham.ttf");
    sandbox::makeDirs("/dev/mtdblock");
    sandbox::writeFile("/dev/mtdblock/1", "");
    // The drivers' writing ends stay open, so the program's opens return.
    if (remoteFd >= 0) close(remoteFd);
    if (frontFd >= 0) close(frontFd);
    remoteFd = open("/dev/rawir2", O_RDWR);
    frontFd = open("/dev/dbox/fpkeys0", O_RDWR);
}

void sendRemote(unsigned short code) {
    send(remoteFd, code);
}

void sendFront(unsigned short value) {
    send(frontFd, value);
}

int lcdUpdates() {
    struct stat st;
    return stat("/dev/dbox/lcd0", &st) == 0 ? int(st.st_size / 960) : 0;
}

std::string lcdPicture() {
    std::string all = sandbox::readFile("/dev/dbox/lcd0");
    std::string picture;
    if (all.size() < 960) return picture;
    const unsigned char *pages = (const unsigned char *)all.data() + all.size() - 960;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 120; ++x)
            picture += (pages[(y / 8) * 120 + x] >> (y % 8)) & 1 ? '#' : '.';
        picture += '\n';
    }
    return picture;
}

BootRun runPickstart(void (*keys)()) {
    BootRun result;
    const std::string src = sandbox::sourceDir();
    const std::string build = sandbox::binaryDir();
    // Each run starts with a display that has seen no picture yet.
    sandbox::writeFile("/dev/dbox/lcd0", "", 0666);
    int pipefd[2];
    if (pipe(pipefd) != 0) return result;
    pid_t child = fork();
    if (child == 0) {
        dup2(pipefd[1], 1);
        dup2(pipefd[1], 2);
        close(pipefd[0]);
        close(pipefd[1]);
        std::string path = "PATH=" + src + "/box/flash:/usr/sbin:/usr/bin:/sbin:/bin";
        std::string preload = "LD_PRELOAD=" + build + "/lib/libboxdev.so";
        std::string program = build + "/bin/pickstart";
        char *const argv[] = {(char *)program.c_str(), nullptr};
        char *const envp[] = {(char *)path.c_str(), (char *)preload.c_str(), nullptr};
        execve(program.c_str(), argv, envp);
        _exit(127);
    }
    close(pipefd[1]);
    std::thread reader([&] {
        char buf[4096];
        ssize_t n;
        while ((n = read(pipefd[0], buf, sizeof buf)) > 0)
            result.output.append(buf, size_t(n));
    });
    if (keys) {
        // The menu is up once the front display got its first picture.
        for (int i = 0; i < 400 && lcdUpdates() < 1; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        keys();
    }
    int status = 0;
    waitpid(child, &status, 0);
    reader.join();
    close(pipefd[0]);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}
