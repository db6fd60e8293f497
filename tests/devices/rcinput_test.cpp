// Key input and the menu timeout: the key translation rules, the two
// reader threads on stand-in key devices, and the one-shot timer.
#include "menutimer.h"
#include "rcinput.h"
#include "sandbox.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Waits for a condition with a generous bound; false when it never came.
bool waitFor(const std::function<bool()> &condition, milliseconds bound = milliseconds(10000)) {
    auto deadline = Clock::now() + bound;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return true;
}

TEST(FrontKeys, ValuesBecomeMenuCodes) {
    struct Case {
        std::vector<unsigned short> values;
        std::vector<unsigned short> emitted;
    };
    const Case cases[] = {
        {{5}, {0x21}},
        {{3}, {0x22}},
        {{6}, {0x52}},
        {{7}, {}},
        {{4}, {0}}, // unknown before anything else: the initial code
        {{5, 7, 4}, {0x21, 0x21}},
        {{6, 9, 7, 3, 0xFFFF}, {0x52, 0x52, 0x22, 0x22}},
        {{7, 7, 5}, {0x21}},
    };
    for (const Case &c : cases) {
        unsigned short last = 0;
        std::vector<unsigned short> emitted;
        for (unsigned short v : c.values)
            if (frontKeyCode(v, last)) emitted.push_back(last);
        EXPECT_EQ(emitted, c.emitted) << "sequence starting with " << c.values.front();
    }
}

TEST(RemoteKeys, ReleasesAndRepeatsAreDropped) {
    const struct {
        unsigned short value;
        bool passes;
    } cases[] = {
        {0x0021, true},  {0x0052, true},  {0x0000, true},  {0x7FFF, true},  {0x01FF, true},
        {0x00FF, false}, {0x8021, false}, {0x80FF, false}, {0xFFFF, false}, {0x8000, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(remoteCodePasses(c.value), c.passes) << std::hex << c.value;
}

// Death tests run before everything else, so the instance is still unmade.
class RCInputDeathTest : public SandboxTest {};

TEST_F(RCInputDeathTest, MissingKeyDeviceEndsTheProgram) {
    EXPECT_EXIT(RCInput::getInstance(), ::testing::ExitedWithCode(255), "/dev/rawir2");

    sandbox::makeDirs("/dev/dbox");
    ASSERT_EQ(mkfifo("/dev/rawir2", 0666), 0);
    int writer = open("/dev/rawir2", O_RDWR);
    ASSERT_GE(writer, 0);
    EXPECT_EXIT(RCInput::getInstance(), ::testing::ExitedWithCode(255), "/dev/dbox/fpkeys0");
    close(writer);
}

class KeyReaders : public SandboxTest {
  protected:
    std::mutex lock;
    std::vector<unsigned short> codes;

    void record(unsigned short code) {
        std::lock_guard<std::mutex> guard(lock);
        codes.push_back(code);
    }
    size_t count() {
        std::lock_guard<std::mutex> guard(lock);
        return codes.size();
    }
    std::vector<unsigned short> take() {
        std::lock_guard<std::mutex> guard(lock);
        std::vector<unsigned short> got;
        got.swap(codes);
        return got;
    }
    std::vector<unsigned short> expectCodes(size_t n) {
        EXPECT_TRUE(waitFor([&] { return count() >= n; })) << "got " << count() << " of " << n;
        std::this_thread::sleep_for(milliseconds(100)); // room for any extra code
        return take();
    }
};

void send(int fd, std::vector<unsigned short> values) {
    ASSERT_EQ(write(fd, values.data(), values.size() * 2), ssize_t(values.size() * 2));
}

// The instance lives until the process ends, so everything about the
// readers is checked in this one test.
TEST_F(KeyReaders, DeliverKeysFromBothDevices) {
    sandbox::makeDirs("/dev/dbox");
    ASSERT_EQ(mkfifo("/dev/rawir2", 0666), 0);
    ASSERT_EQ(mkfifo("/dev/dbox/fpkeys0", 0666), 0);
    // Our writing ends, open before the program's: its read-only opens
    // would wait for a writer otherwise.
    int remote = open("/dev/rawir2", O_RDWR);
    int front = open("/dev/dbox/fpkeys0", O_RDWR);
    ASSERT_GE(remote, 0);
    ASSERT_GE(front, 0);
    send(remote, {0x0033, 0x0034}); // queued before the start: dropped

    RCInput *input = RCInput::getInstance();
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(RCInput::getInstance(), input);
    EXPECT_TRUE(fcntl(input->rcFd, F_GETFL) & O_NONBLOCK);
    EXPECT_FALSE(fcntl(input->keyFd, F_GETFL) & O_NONBLOCK);
    sigc::connection connection =
        input->keyPressed.connect([this](unsigned short code) { record(code); });

    // Remote control: released keys and repeats are dropped, codes pass
    // unchanged.
    send(remote, {0x8021, 0x00FF, 0x0021});
    EXPECT_EQ(expectCodes(1), (std::vector<unsigned short>{0x21}));

    // A torn record is skipped; the next whole one still arrives.
    ASSERT_EQ(write(remote, "\x25", 1), 1);
    EXPECT_TRUE(waitFor([&] {
        int queued = -1;
        return ioctl(remote, FIONREAD, &queued) == 0 && queued == 0;
    }));
    send(remote, {0x0025});
    EXPECT_EQ(expectCodes(1), (std::vector<unsigned short>{0x25}));

    // Front keys, through their table.
    send(front, {4, 5, 7, 4, 3, 6});
    EXPECT_EQ(expectCodes(5), (std::vector<unsigned short>{0, 0x21, 0x21, 0x22, 0x52}));

    // Bursts on both devices at once: every code arrives, none twice.
    send(remote, std::vector<unsigned short>(40, 0x0010));
    send(front, std::vector<unsigned short>(40, 5));
    std::vector<unsigned short> burst = expectCodes(80);
    EXPECT_EQ(std::count(burst.begin(), burst.end(), 0x10), 40);
    EXPECT_EQ(std::count(burst.begin(), burst.end(), 0x21), 40);
    EXPECT_EQ(burst.size(), 80u);

    connection.disconnect();
}

class Timer : public ::testing::Test {
  protected:
    std::atomic<int> fired{0};
    std::atomic<bool> onOtherThread{false};
    sigc::connection connection;
    std::thread::id testThread = std::this_thread::get_id();

    void SetUp() override {
        connection = MenuTimer::expired().connect([this] {
            onOtherThread = std::this_thread::get_id() != testThread;
            ++fired;
        });
    }
    void TearDown() override { connection.disconnect(); }
};

TEST_F(Timer, FiresOnceAfterItsPeriod) {
    auto started = Clock::now();
    MenuTimer::start(1);
    ASSERT_TRUE(waitFor([&] { return fired > 0; }));
    EXPECT_GE(Clock::now() - started, milliseconds(950));
    EXPECT_TRUE(onOtherThread);
    std::this_thread::sleep_for(milliseconds(1500));
    EXPECT_EQ(fired, 1);
}

TEST_F(Timer, RestartCancelsTheRunningPeriod) {
    MenuTimer::start(1);
    MenuTimer::start(60);
    std::this_thread::sleep_for(milliseconds(2500));
    EXPECT_EQ(fired, 0) << "the first period was not cancelled";

    MenuTimer::start(0);
    EXPECT_TRUE(waitFor([&] { return fired > 0; }, milliseconds(5000)));
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(fired, 1);
}

TEST_F(Timer, NegativeTimeoutDoesNotFire) {
    MenuTimer::start(-1);
    std::this_thread::sleep_for(milliseconds(1500));
    EXPECT_EQ(fired, 0);
    MenuTimer::start(0); // and it can still be cancelled
    EXPECT_TRUE(waitFor([&] { return fired > 0; }, milliseconds(5000)));
}

// Both key readers restart the timer, possibly at the same moment.
TEST_F(Timer, RestartsFromSeveralThreadsAtOnce) {
    std::vector<std::thread> keys;
    for (int t = 0; t < 4; ++t)
        keys.emplace_back([] {
            for (int i = 0; i < 50; ++i)
                MenuTimer::start(60);
        });
    for (std::thread &k : keys)
        k.join();
    EXPECT_EQ(fired, 0);
    MenuTimer::start(0);
    EXPECT_TRUE(waitFor([&] { return fired > 0; }, milliseconds(5000)));
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(fired, 1);
}

} // namespace
