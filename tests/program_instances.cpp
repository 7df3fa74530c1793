// A second start while the first is running: it brings the first to the
// front and ends with 0, without a window of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "platform/backend/headless/headless_backend.h"
#include "platform/win32.h"
#include "tests/support/scenario.h"

namespace {

TEST(SecondInstance, ReachesTheFirstOnesStageAndEndsWithZero) {
    std::string session = scratch_dir();
    RunResult first, second;
    std::thread running([&] {
        // Virtual time to reach the battle, then real time for the second start.
        first = run_scenario("session " + session + "\nclick OK\nwait 2000\nhold 3000\n");
    });
    usleep(1000000);
    second = run_scenario("session " + session + "\n");
    running.join();

    EXPECT_EQ(second.exit_code, 0);
    EXPECT_TRUE(second.all("create").empty());
    EXPECT_TRUE(second.all("msgbox").empty());
    std::vector<std::string> requests;
    for (const Event& e : first.all("remote")) requests.push_back(e["request"] + " " + e["class"]);
    // The enemy window, shown last at start-up, is the stage's last active popup.
    EXPECT_EQ(requests, (std::vector<std::string>{"ICONIC DORVAN3D", "POPUP DORVAN3D", "FOREGROUND DORVAN3DE",
                                                  "INVALIDATE DORVAN3D"}));
    EXPECT_EQ(first.exit_code, 124);  // still running when its script ended
}

TEST(SecondInstance, WithoutAStageShowsTheAlreadyRunningBox) {
    // This process holds the mutex but has no stage, as a first start does while it asks for the name.
    std::string session = scratch_dir();
    plat::HeadlessBackend holder(nullptr);
    std::string error;
    ASSERT_TRUE(holder.load_script("session " + session + "\n", error));
    plat::set_backend(&holder);
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "DORVAN3D");
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    RunResult second = run_scenario("session " + session + "\nwait 100\nclick OK\n");
    CloseHandle(mutex);
    auto boxes = second.all("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["caption"], "Dorvane 3D");
    EXPECT_EQ(boxes[0]["text"].rfind("すでに起動しています。\n開始したはずなのに", 0), 0u);
    EXPECT_EQ(boxes[0]["type"], "0");  // OK, no icon
    EXPECT_TRUE(second.all("create", "class", "DORVAN3D").empty());
    EXPECT_EQ(second.exit_code, 0);
}

}  // namespace
