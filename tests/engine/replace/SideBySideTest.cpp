// Work handed to the helper thread must always have run, and ended, by the
// time RunSideBySide returns, whatever fails and however many callers race.
#include "engine/replace/SideBySide.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quorvane {
namespace {

TEST(SideBySide, BothPiecesHaveRunWhenItReturns)
{
    for (int round = 0; round < 200; ++round) {
        std::vector<int> left(1000), right(1000);
        RunSideBySide([&] { for (int i = 0; i < 1000; ++i) left[i] = i; },
                      [&] { for (int i = 0; i < 1000; ++i) right[i] = 2 * i; });
        ASSERT_EQ(left[999], 999);
        ASSERT_EQ(right[999], 1998);
    }
}

TEST(SideBySide, AFailureIsRethrownOnlyAfterBothPiecesEnded)
{
    std::atomic<bool> sideEnded{false};
    try {
        RunSideBySide([] { throw std::runtime_error("main"); },
                      [&] {
                          std::this_thread::sleep_for(std::chrono::milliseconds(20));
                          sideEnded = true;
                      });
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "main");
        EXPECT_TRUE(sideEnded);
    }
    bool mainEnded = false;
    try {
        RunSideBySide([&] { mainEnded = true; }, [] { throw std::runtime_error("side"); });
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "side");
        EXPECT_TRUE(mainEnded);
    }
    // The helper is free again afterwards.
    int both = 0;
    RunSideBySide([&] { both += 1; }, [&] { both += 2; });
    EXPECT_EQ(both, 3);
}

TEST(SideBySide, CallersRacingForTheHelperAllGetTheirWorkDone)
{
    std::atomic<long> total{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t)
        callers.emplace_back([&] {
            for (int round = 0; round < 300; ++round)
                RunSideBySide([&] { total += 1; }, [&] { total += 1000; });
        });
    for (auto& caller : callers) caller.join();
    EXPECT_EQ(total, 4 * 300 * 1001);
}

} // namespace
} // namespace quorvane
