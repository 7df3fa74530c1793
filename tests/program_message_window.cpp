// The message window's two private messages, sent as the battle sends them.
#include <gtest/gtest.h>

#include "tests/support/scenario.h"

namespace {

const std::string kMenuUp = "tick 10000\nclick OK\nwait 1300\n";  // the introduction has shown the buttons

TEST(MessageWindowLines, AnIndexAbove2ChangesNothing) {
    RunResult r = run_scenario(kMenuUp + "send DORVAN3DW WMU_SETLINE 3 0\nwait 400\npixel 80 701\n");
    ASSERT_EQ(r.exit_code, 124);
    long sent = r.all("send")[0].num("t");
    for (const Event& e : r.all("text", "class", "DORVAN3DW")) EXPECT_LT(e.num("t"), sent) << e["text"];
    EXPECT_NE(r.pixel(0), "#000000");  // the buttons are still there
}

TEST(MessageWindowLines, ClearingHidesAllFourButtonsAndEmptiesTheLines) {
    RunResult r = run_scenario(kMenuUp + "send DORVAN3DW WMU_CLEARLINES\nwait 400\npixel 80 701\npixel 70 610\n");
    std::vector<std::string> hidden;
    for (const Event& e : r.all("hide", "class", "Button")) hidden.push_back(e["hwnd"]);
    EXPECT_EQ(hidden.size(), 4u);
    long sent = r.all("send")[0].num("t");
    for (const Event& e : r.all("text", "class", "DORVAN3DW"))
        if (e.num("t") > sent) EXPECT_EQ(e["y"], "102") << e["text"];  // only the hit-point box is drawn
    EXPECT_EQ(r.pixel(0), "#000000");
    EXPECT_EQ(r.pixel(1), "#000000");
}

}  // namespace
