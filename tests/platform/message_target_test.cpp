// Window messages: send blocks until handled, post queues, close releases.
#include "platform/message_target.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using corvane::platform::MessageTarget;

TEST(MessageTarget, SendFromWorkerWaitsForTheWindowThread) {
    MessageTarget target;
    std::vector<uint32_t> seen;
    target.setHandler([&](uint32_t m, uintptr_t w, intptr_t) {
        seen.push_back(m);
        return static_cast<intptr_t>(w * 2);
    });
    target.bindToCurrentThread();

    std::atomic<intptr_t> result{-1};
    std::thread worker([&] { result = target.send(0x404, 21, 1); });
    while (result == -1) {
        target.waitForMessage(100);
        target.processPending();
    }
    worker.join();
    EXPECT_EQ(result, 42);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], 0x404u);
}

TEST(MessageTarget, SendOnWindowThreadRunsInline) {
    MessageTarget target;
    target.setHandler([](uint32_t, uintptr_t w, intptr_t) { return static_cast<intptr_t>(w + 1); });
    target.bindToCurrentThread();
    EXPECT_EQ(target.send(1, 5), 6);
}

TEST(MessageTarget, PostedMessagesArriveInOrder) {
    MessageTarget target;
    std::vector<uintptr_t> order;
    target.setHandler([&](uint32_t, uintptr_t w, intptr_t) {
        order.push_back(w);
        return intptr_t{0};
    });
    target.bindToCurrentThread();
    std::thread worker([&] {
        for (uintptr_t i = 0; i < 5; ++i) target.post(9, i);
    });
    worker.join();
    EXPECT_EQ(target.processPending(), 5);
    EXPECT_EQ(order, (std::vector<uintptr_t>{0, 1, 2, 3, 4}));
}

TEST(MessageTarget, CloseReleasesABlockedSender) {
    MessageTarget target;
    target.bindToCurrentThread();
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        target.send(4, 1);
        returned = true;
    });
    target.waitForMessage(1000);
    target.close();
    worker.join();
    EXPECT_TRUE(returned);
    target.post(4, 1);
    EXPECT_EQ(target.processPending(), 0);
}
