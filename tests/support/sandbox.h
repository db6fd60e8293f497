// Tests run in a private mount and pid namespace whose root is a fresh
// tmpfs: the host's programs and libraries are there read-only, the
// repository and the build tree at their own paths, and "/tmp", "/var",
// "/dev", "/share" and "/root" are empty and private to the test process.
// So code that works on the box's real paths can be tested as it is.
#pragma once

#include <gtest/gtest.h>
#include <string>

namespace sandbox {

// Moves the process into a private root (forking: the parent only waits
// and passes the exit status on). Returns false, and says why on standard
// error, when that is not possible (not root).
bool enter();

// True once the process runs inside its private root.
bool active();

// Empties "/tmp", "/var", "/share", "/root" and the box's device folders.
void wipe();

// Small file helpers for fixtures.
bool writeFile(const std::string &path, const std::string &bytes, int mode = 0644);
std::string readFile(const std::string &path);
bool exists(const std::string &path);
int fileMode(const std::string &path);
void makeDirs(const std::string &path);

// Where the sources and the build tree are.
std::string sourceDir();
std::string binaryDir();

} // namespace sandbox

// Base of every test that touches the box's paths: skips with the reason
// when no private root could be made, and starts from empty folders.
class SandboxTest : public ::testing::Test {
  protected:
    void SetUp() override;
};
