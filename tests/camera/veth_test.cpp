// The driver's libpcap path over a veth pair, with ostrel-camsim on the far
// end in its own network namespace. Skips when the pair cannot be made
// (no CAP_NET_ADMIN, no iproute2).
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ostrel.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Runs a program to its end; answers its exit status (-1 when it could not
// run) and what it printed.
int run(const std::vector<std::string>& argv, std::string* output = nullptr,
        const std::vector<std::string>& unsetVariables = {}) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return -1;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        for (const auto& v : unsetVariables) {
            unsetenv(v.c_str());
        }
        std::vector<char*> args;
        for (const auto& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output) {
        *output = text;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A veth pair: the host end here, the camera end in a network namespace.
class VethPair {
public:
    VethPair()
        : namespace_("ostrel-" + std::to_string(getpid())),
          host_("ostv" + std::to_string(getpid()) + "h"),
          camera_("ostv" + std::to_string(getpid()) + "c") {}
    ~VethPair() { destroy(); }

    bool create(std::string* why) {
        removeLeftovers();
        destroy();
        const std::vector<std::vector<std::string>> steps = {
            {"ip", "netns", "add", namespace_},
            {"ip", "link", "add", host_, "type", "veth", "peer", "name", camera_},
            {"ip", "link", "set", camera_, "netns", namespace_},
            {"ip", "link", "set", host_, "up"},
            {"ip", "netns", "exec", namespace_, "ip", "link", "set", camera_, "up"},
        };
        for (const auto& step : steps) {
            std::string output;
            if (run(step, &output) != 0) {
                *why = "'";
                for (const auto& a : step) {
                    *why += a + " ";
                }
                *why += "' failed: " + output;
                return false;
            }
        }
        return true;
    }

    // Pairs of test runs that died before cleaning up (their process is gone).
    static void removeLeftovers() {
        std::string list;
        run({"ip", "netns", "list"}, &list);
        size_t at = 0;
        while ((at = list.find("ostrel-", at)) != std::string::npos) {
            const int pid = std::atoi(list.c_str() + at + 7);
            at += 7;
            if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) {
                run({"ip", "link", "del", "ostv" + std::to_string(pid) + "h"});
                run({"ip", "netns", "del", "ostrel-" + std::to_string(pid)});
            }
        }
    }

    void destroy() {
        run({"ip", "link", "del", host_});
        run({"ip", "netns", "del", namespace_});
    }

    const std::string& netns() const { return namespace_; }
    const std::string& host() const { return host_; }
    const std::string& camera() const { return camera_; }

private:
    std::string namespace_;
    std::string host_;
    std::string camera_;
};

// ostrel-camsim running in the namespace, ended with the test.
class Camsim {
public:
    ~Camsim() { stop(); }

    bool start(const VethPair& veth, const std::string& model,
               const std::vector<std::string>& extra, std::string* why) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            *why = "no pipe";
            return false;
        }
        std::vector<std::string> argv = {"ip",   "netns",       "exec", veth.netns(), OSTREL_CAMSIM,
                                         "--iface", veth.camera(), "--model", model,
                                         "--duration", "300"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            dup2(pipeFds[1], STDOUT_FILENO);
            dup2(pipeFds[1], STDERR_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
            std::vector<char*> args;
            for (const auto& a : argv) {
                args.push_back(const_cast<char*>(a.c_str()));
            }
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        close(pipeFds[1]);
        output_ = pipeFds[0];
        // Wait for its "ready" line.
        std::string text;
        const auto end = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < end && text.find("ready") == std::string::npos) {
            pollfd p{output_, POLLIN, 0};
            if (poll(&p, 1, 100) > 0) {
                char buffer[512];
                const ssize_t n = read(output_, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                text.append(buffer, static_cast<size_t>(n));
            }
        }
        if (text.find("ready") == std::string::npos) {
            *why = "ostrel-camsim did not start: " + text;
            return false;
        }
        return true;
    }

    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            for (int i = 0; i < 200 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
                std::this_thread::sleep_for(milliseconds(10));
            }
            if (waitpid(pid_, &status, WNOHANG) == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
            pid_ = -1;
        }
        if (output_ >= 0) {
            close(output_);
            output_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

std::atomic<int> gFrames{0};
std::atomic<int> gEmptyRecords{0};
void countFrame(TQ_FrameInfo* frame) {
    if (frame->image != nullptr) {
        gFrames.fetch_add(1);
    } else {
        gEmptyRecords.fetch_add(1);
    }
}

class VethTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("OSTREL_SIMULATED_CAMERA");
        std::string why;
        if (!veth_.create(&why)) {
            GTEST_SKIP() << "cannot create a veth pair in a network namespace (needs "
                            "CAP_NET_ADMIN and iproute2): "
                         << why;
        }
    }
    void TearDown() override {
        if (device_ >= 0) {
            TQ_CloseDevice(device_);
        }
        camsim_.stop();
        veth_.destroy();
    }

    void startCamera(const std::string& model, const std::vector<std::string>& extra = {}) {
        std::string why;
        ASSERT_TRUE(camsim_.start(veth_, model, extra, &why)) << why;
        device_ = findAdapter(veth_.host());
        ASSERT_GE(device_, 0) << "the host end is not in the adapter list";
    }

    static int findAdapter(const std::string& name) {
        TQ_DeviceNode* list = nullptr;
        int count = 0;
        if (TQ_EnumerateDevice(&list, &count) != TQ_SUCCESS) {
            return -1;
        }
        int found = -1;
        int index = 0;
        while (list != nullptr) {
            if (name == list->name) {
                found = index;
            }
            TQ_DeviceNode* next = list->next;
            std::free(list->name);
            std::free(list->description);
            std::free(list->hardwareAddress);
            std::free(list);
            list = next;
            ++index;
        }
        return found;
    }

    static bool eventually(const std::function<bool()>& done, double seconds = 10) {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(milliseconds(5));
        }
        return done();
    }

    VethPair veth_;
    Camsim camsim_;
    int device_ = -1;
};

TEST_F(VethTest, TheExampleRunsThroughTheCaptureLibrary) {
    std::string why;
    ASSERT_TRUE(camsim_.start(veth_, "K1M", {}, &why)) << why;
    std::string output;
    const int status = run({OSTREL_EXAMPLE, veth_.host()}, &output, {"OSTREL_SIMULATED_CAMERA"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("ostrel-example: ok"), std::string::npos) << output;
}

TEST_F(VethTest, InjectedLossesShowAsTheRulesCountThem) {
    startCamera("K1M", {"--drop", "3,4,100"});
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetPreviewSnapMode(0, 0, device_), TQ_SUCCESS);
    TQ_SetCallBack(countFrame, device_);
    ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    // Images of the preview still in the capture buffer come first.
    std::this_thread::sleep_for(milliseconds(500));
    uint32_t frames0 = 0;
    uint32_t lost0 = 0;
    uint32_t withLosses0 = 0;
    ASSERT_EQ(TQ_GetTestInfo(&frames0, &lost0, &withLosses0, device_), TQ_SUCCESS);
    for (uint32_t i = 1; i <= 3; ++i) {
        ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
        ASSERT_TRUE(eventually([&] {
            uint32_t f = 0;
            uint32_t l = 0;
            uint32_t w = 0;
            TQ_GetTestInfo(&f, &l, &w, device_);
            return f >= frames0 + i;
        }));
    }
    uint32_t frames = 0;
    uint32_t lost = 0;
    uint32_t withLosses = 0;
    ASSERT_EQ(TQ_GetTestInfo(&frames, &lost, &withLosses, device_), TQ_SUCCESS);
    // Per image: 5 comes when 3 is expected (2 lost), 101 when 100 is (1 lost).
    EXPECT_EQ(frames - frames0, 3u);
    EXPECT_EQ(lost - lost0, 9u);
    EXPECT_EQ(withLosses - withLosses0, 3u);
    EXPECT_EQ(TQ_StopCapture(device_), TQ_SUCCESS);
}

TEST_F(VethTest, LargeColourImagesArriveWithoutLoss) {
    startCamera("K6C");
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetPreviewSnapMode(0, 0, device_), TQ_SUCCESS);
    gFrames = 0;
    TQ_SetCallBack(countFrame, device_);
    ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    std::this_thread::sleep_for(milliseconds(1500));
    uint32_t frames0 = 0;
    uint32_t lost0 = 0;
    uint32_t withLosses0 = 0;
    ASSERT_EQ(TQ_GetTestInfo(&frames0, &lost0, &withLosses0, device_), TQ_SUCCESS);
    const int delivered0 = gFrames.load();
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
        ASSERT_TRUE(eventually([&] { return gFrames.load() >= delivered0 + i; }, 20));
    }
    uint32_t frames = 0;
    uint32_t lost = 0;
    uint32_t withLosses = 0;
    ASSERT_EQ(TQ_GetTestInfo(&frames, &lost, &withLosses, device_), TQ_SUCCESS);
    EXPECT_EQ(frames - frames0, 3u);
    EXPECT_EQ(lost - lost0, 0u);
    uint32_t size = 0;
    unsigned char* buffer = nullptr;
    int w = 0;
    int h = 0;
    ASSERT_EQ(TQ_GetFrameBuffer(&size, &buffer, &w, &h, device_), TQ_SUCCESS);
    EXPECT_EQ(size, 2592u * 1944u * 3u);
    std::free(buffer);
}

TEST_F(VethTest, ARegisterReplyIsNotCrowdedOutByAStreamNobodyReads) {
    // Armed and streaming in preview, but not capturing: the kernel buffer
    // fills up with image packets while the program does something else.
    startCamera("K6C");
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(milliseconds(700));
        EXPECT_EQ(TQ_SetPacketSize(1024, device_), TQ_SUCCESS) << "attempt " << i;
    }
}

// Snapshot mode as the machine program runs it; the image of the second
// trigger lacks its last packet and the next trigger comes more than the
// frame watchdog's second later.
TEST_F(VethTest, SnapshotCaptureOutlivesAnImageWithoutItsLastPacket) {
    startCamera("K1M", {"--lose-last", "2"});
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetSnapTrigFreqImgCount(40, 0, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetPreviewSnapMode(0, 1, device_), TQ_SUCCESS);
    gFrames = 0;
    gEmptyRecords = 0;
    TQ_SetCallBack(countFrame, device_);
    ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    // Images of the preview still in the capture buffer come first.
    std::this_thread::sleep_for(milliseconds(500));
    const int warmUp = gFrames.load();
    ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
    ASSERT_TRUE(eventually([&] { return gFrames.load() > warmUp; }));
    uint32_t frames0 = 0;
    uint32_t lost0 = 0;
    uint32_t withLosses0 = 0;
    ASSERT_EQ(TQ_GetTestInfo(&frames0, &lost0, &withLosses0, device_), TQ_SUCCESS);
    const int delivered0 = gFrames.load();
    ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);  // its image loses its last packet
    std::this_thread::sleep_for(milliseconds(1500));
    EXPECT_EQ(gFrames.load(), delivered0);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
        EXPECT_TRUE(eventually([&] { return gFrames.load() >= delivered0 + i; }))
            << "trigger " << i;
    }
    uint32_t frames = 0;
    uint32_t lost = 0;
    uint32_t withLosses = 0;
    ASSERT_EQ(TQ_GetTestInfo(&frames, &lost, &withLosses, device_), TQ_SUCCESS);
    EXPECT_EQ(frames - frames0, 3u);
    EXPECT_EQ(lost - lost0, 1u);
    EXPECT_EQ(withLosses - withLosses0, 1u);
    EXPECT_EQ(gEmptyRecords.load(), 0);
    EXPECT_EQ(TQ_StopCapture(device_), TQ_SUCCESS);
}

// A colour camera in preview on a slow wire: nearly all the time an image is
// under way, so a suspension begins inside one. It must not end the stream.
TEST_F(VethTest, LongSuspensionsDoNotEndAColourPreview) {
    startCamera("K1C", {"--rate", "5000"});
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    gFrames = 0;
    gEmptyRecords = 0;
    TQ_SetCallBack(countFrame, device_);
    ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    ASSERT_TRUE(eventually([] { return gFrames.load() >= 2; }, 20));
    for (int i = 0; i < 3; ++i) {
        // An image takes about 70 ms on this wire: suspend in the middle of
        // the one after the image just delivered.
        std::this_thread::sleep_for(milliseconds(35));
        ASSERT_EQ(TQ_SuspendCapture(1, device_), TQ_SUCCESS);
        std::this_thread::sleep_for(milliseconds(1300));
        const int held = gFrames.load();
        ASSERT_EQ(TQ_SuspendCapture(0, device_), TQ_SUCCESS);
        EXPECT_TRUE(eventually([&] { return gFrames.load() >= held + 2; }, 20))
            << "suspension " << i;
    }
    EXPECT_EQ(gEmptyRecords.load(), 0);
    EXPECT_EQ(TQ_StopCapture(device_), TQ_SUCCESS);
}

TEST_F(VethTest, ACameraThatNeverAnswersTimesOut) {
    startCamera("K1M", {"--silent-reads"});
    const auto start = Clock::now();
    EXPECT_EQ(TQ_OpenDevice(device_), TQ_E_NO_REPLY);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GE(seconds, 1.0);
    EXPECT_LT(seconds, 2.5);
}

}  // namespace
