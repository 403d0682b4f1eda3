#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ConsoleControl.h"

namespace {

std::atomic<int> g_calls{0};
std::atomic<std::uint32_t> g_event{99};
std::atomic<bool> g_onOtherThread{false};
std::thread::id g_testThread;

int Handles(std::uint32_t event) {
    g_event = event;
    g_onOtherThread = std::this_thread::get_id() != g_testThread;
    ++g_calls;
    return 1;
}

int Declines(std::uint32_t) {
    ++g_calls;
    return 0;
}

bool WaitForCalls(int n) {
    for (int i = 0; i < 500 && g_calls < n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return g_calls >= n;
}

}  // namespace

TEST(ConsoleControlTest, SignalsRunTheHandlersOnAThreadOfTheirOwnLastInstalledFirst) {
    g_testThread = std::this_thread::get_id();
    g_calls = 0;
    ASSERT_TRUE(SetConsoleCtrlHandler(Handles, 1));
    ASSERT_TRUE(SetConsoleCtrlHandler(Declines, 1));

    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    ASSERT_TRUE(WaitForCalls(2));  // Declines first, then Handles
    EXPECT_EQ(g_event, CTRL_C_EVENT);
    EXPECT_TRUE(g_onOtherThread);

    kill(getpid(), SIGHUP);
    ASSERT_TRUE(WaitForCalls(4));
    EXPECT_EQ(g_event, CTRL_CLOSE_EVENT);

    EXPECT_TRUE(SetConsoleCtrlHandler(Declines, 0));
    EXPECT_FALSE(SetConsoleCtrlHandler(Declines, 0));
    kill(getpid(), SIGTERM);
    ASSERT_TRUE(WaitForCalls(5));
    EXPECT_EQ(g_event, CTRL_SHUTDOWN_EVENT);
    EXPECT_TRUE(SetConsoleCtrlHandler(Handles, 0));
}

TEST(ConsoleControlDeathTest, AnEventNoHandlerTakesEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetConsoleCtrlHandler(Declines, 1);
            GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
            std::this_thread::sleep_for(std::chrono::seconds(10));
        },
        testing::KilledBySignal(SIGINT), "");
}
