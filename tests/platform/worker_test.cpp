// Self-pausing workers: created suspended, pause keeps their place, quit ends them.
#include "platform/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using corvane::platform::Worker;

namespace {

void waitUntil(const std::function<bool()>& condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

TEST(Worker, StartsSuspendedAndRunsOnResume) {
    std::atomic<int> runs{0};
    Worker worker("test", [&] {
        ++runs;
        return 7;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(worker.suspendedFlag(), 1);
    EXPECT_TRUE(worker.clearFlagAndResume());
    EXPECT_TRUE(worker.waitFinished(5000));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(worker.exitCode(), 7);
}

TEST(Worker, PauseKeepsTheStepAndQuitEndsAPausedWorker) {
    std::atomic<bool> quit{false};
    std::atomic<int> step{0};
    Worker* self = nullptr;
    Worker worker("stepper", [&] {
        while (!quit) {
            ++step;
            self->suspendSelf();  // pause after every pass
        }
        return 0;
    });
    self = &worker;
    worker.clearFlagAndResume();
    waitUntil([&] { return worker.suspendedFlag() == 1 && step == 1; });
    EXPECT_EQ(step, 1);
    worker.clearFlagAndResume();
    waitUntil([&] { return worker.suspendedFlag() == 1 && step == 2; });
    EXPECT_EQ(step, 2);

    quit = true;
    worker.clearFlagAndResume();
    EXPECT_TRUE(worker.waitFinished(200));
}

TEST(Worker, ResumeBetweenFlagAndWaitIsNotLost) {
    // Resume as soon as the flag shows, many times over: the worker must never
    // stay paused after a resume.
    std::atomic<bool> quit{false};
    std::atomic<int> passes{0};
    Worker* self = nullptr;
    Worker worker("race", [&] {
        while (!quit) {
            ++passes;
            self->suspendSelf();
        }
        return 0;
    });
    self = &worker;
    worker.clearFlagAndResume();
    for (int i = 0; i < 500; ++i) {
        waitUntil([&] { return worker.suspendedFlag() == 1; });
        worker.clearFlagAndResume();
    }
    quit = true;
    waitUntil([&] { return worker.suspendedFlag() == 1 || worker.finished(); });
    worker.clearFlagAndResume();
    EXPECT_TRUE(worker.waitFinished(2000));
    EXPECT_GE(passes, 500);
}

TEST(Worker, ResumeWhileRunningDoesNothing) {
    std::atomic<bool> release{false};
    Worker* self = nullptr;
    std::atomic<int> pauses{0};
    Worker worker("busy", [&] {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++pauses;
        self->suspendSelf();
        return 0;
    });
    self = &worker;
    worker.clearFlagAndResume();
    worker.resume();  // running: must not pre-authorise the coming pause
    release = true;
    waitUntil([&] { return worker.suspendedFlag() == 1; });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(worker.finished());
    worker.clearFlagAndResume();
    EXPECT_TRUE(worker.waitFinished(2000));
}

TEST(Worker, ReleaseEndsAWorkerThatPausesAfterwards) {
    std::atomic<bool> quit{false};
    std::atomic<bool> go{false};
    Worker* self = nullptr;
    Worker worker("late", [&] {
        while (!go) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        self->suspendSelf();  // pauses after the owner's last look
        return quit ? 1 : 2;
    });
    self = &worker;
    worker.clearFlagAndResume();
    quit = true;
    worker.release();
    go = true;
    EXPECT_TRUE(worker.waitFinished(2000));
    EXPECT_EQ(worker.exitCode(), 1);

    // A worker that never started runs its body once and ends.
    std::atomic<int> runs{0};
    {
        Worker never("never", [&] {
            ++runs;
            return 0;
        });
        never.release();
    }
    EXPECT_EQ(runs, 1);
}

TEST(Worker, AStartBetweenTheAnnouncedPauseAndTheWaitResumesTheWorker) {
    // The production cycle sets its flag, tells the window it stopped, then
    // waits; a Start that comes while the window hears of the pause must not
    // leave it asleep under a running machine.
    std::atomic<bool> announced{false};
    std::atomic<bool> started{false};
    std::atomic<int> passes{0};
    Worker* self = nullptr;
    Worker worker("announcer", [&] {
        ++passes;
        self->beginPause();
        announced = true;
        while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        self->suspendSelf();
        ++passes;
        return 0;
    });
    self = &worker;
    worker.clearFlagAndResume();
    waitUntil([&] { return announced.load(); });
    EXPECT_EQ(worker.suspendedFlag(), 1);
    EXPECT_TRUE(worker.clearFlagAndResume());  // Start sees the flag
    started = true;
    EXPECT_TRUE(worker.waitFinished(2000));
    EXPECT_EQ(passes, 2);
}

TEST(Worker, APauseWhoseReasonAStartClearedIsCalledOff) {
    // A lift thread decides to pause on the stop request; Start clears the
    // request before the thread's flag is up, so it never resumes it.
    std::atomic<int> stopRequest{1};
    std::atomic<bool> decided{false};
    std::atomic<bool> startDone{false};
    Worker* self = nullptr;
    Worker worker("lift", [&] {
        if (stopRequest.load()) {
            decided = true;
            while (!startDone) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            self->suspendSelf([&] { return stopRequest.load() != 0; });
        }
        return 5;
    });
    self = &worker;
    worker.clearFlagAndResume();
    waitUntil([&] { return decided.load(); });
    stopRequest = 0;                             // Start: the request goes first,
    EXPECT_FALSE(worker.clearFlagAndResume());   // then it finds no flag up
    startDone = true;
    EXPECT_TRUE(worker.waitFinished(2000));
    EXPECT_EQ(worker.exitCode(), 5);
    EXPECT_EQ(worker.suspendedFlag(), 0);
}
