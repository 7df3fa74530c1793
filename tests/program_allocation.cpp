// A text naming the player whose buffer cannot be had: the step plays no
// sound, sets no line and changes nothing, and the battle goes on.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/scenario.h"

namespace {

bool drew(const RunResult& r, const std::string& part) {
    for (const std::string& t : r.texts("DORVAN3DW"))
        if (t.find(part) != std::string::npos) return true;
    return false;
}

bool played(const RunResult& r, int id) { return !r.all("sound", "id", std::to_string(id)).empty(); }

struct FailureCase {
    const char* name;
    const char* steps;      // after the menu is up (tick 11800); the message window ticks at 10850 + 350 k
    const char* lost_text;  // what the failing step would have drawn
    int lost_sound;
    const char* still_drawn;  // what the battle draws after it all the same
};

class FailedAllocation : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedAllocation, SkipsTheStepsTextAndSoundOnly) {
    const FailureCase& c = GetParam();
    const std::string start = "tick 10000\nclick OK\nwait 1300\n";  // no roll below lands on a critical hit
    RunResult failing = run_scenario(start + c.steps);
    RunResult normal = run_scenario(start + [&] {
        std::string s = c.steps;
        s.erase(s.find("fail-calloc\n"), 12);
        return s;
    }());
    ASSERT_EQ(failing.all("calloc-failed").size(), 1u);
    EXPECT_TRUE(drew(normal, c.lost_text));
    EXPECT_TRUE(played(normal, c.lost_sound));
    EXPECT_FALSE(drew(failing, c.lost_text));
    EXPECT_FALSE(played(failing, c.lost_sound));
    EXPECT_TRUE(drew(failing, c.still_drawn));
}

INSTANTIATE_TEST_SUITE_P(
    Program, FailedAllocation,
    ::testing::Values(
        FailureCase{"AttackLine", "click たたかう\nfail-calloc\nwait 1000\n", "あなた のこうげき！", 149,
                    "ミス！！ イーエックスプローラー はダメージを受けない！！"},  // 12600 & 7 = 0,
        FailureCase{"RunLine", "click にげる\nfail-calloc\nwait 1000\n", "あなた はにげだした！", 155,
                    "しかし、まわりこまれてしまった！！"},
        FailureCase{"MagicLine", "click まほう\nfail-calloc\nwait 1000\n", "あなた はまほうをつかおうとした！", 147,
                    "しかし、まほうをおぼえていなかった！！"},
        FailureCase{"ItemLine", "click どうぐ\nfail-calloc\nwait 1000\n", "あなた はどうぐをつかおうとした！", 148,
                    "しかし、どうぐをもっていなかった！！"},
        // The enemy's blow at tick 14000 (14000 mod 9 = 5): no damage either, and the menu comes back.
        FailureCase{"EnemyBlow", "click たたかう\nwait 200\nfail-calloc\nwait 3000\n", "あなた は 5 のダメージを受けた！！",
                    150, "どうする？"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(FailedAllocation, TheEnemysBlowLeavesTheHitPointsAlone) {
    RunResult r = run_scenario("tick 10000\nclick OK\nwait 1300\nclick たたかう\nwait 200\nfail-calloc\nwait 3000\n");
    auto boxes = r.all("text", "y", "102");
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back()["text"], " ＨＰ：５０ ");
    EXPECT_TRUE(r.all("send").empty());
}

}  // namespace
