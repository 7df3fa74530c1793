// The name dialog as the player meets it: each way out, and the name it gives the battle.
#include <gtest/gtest.h>

#include "tests/support/scenario.h"

namespace {

std::string attack_line(const RunResult& r) {
    for (const Event& e : r.all("text", "class", "DORVAN3DW"))
        if (e["y"] == "16" && e["text"].find("のこうげき！") != std::string::npos) return e["text"];
    return "(none)";
}

const std::string kFight = "wait 1300\nclick たたかう\nwait 400\n";

TEST(NameDialogPaths, CancellingEndsAtOnceBeforeAnyWindow) {
    for (const char* way : {"click キャンセル\n", "key escape\n", "close\n"}) {
        RunResult r = run_scenario(std::string(way) + "wait 1000\n");
        EXPECT_EQ(r.exit_code, 0) << way;
        EXPECT_TRUE(r.all("create", "class", "DORVAN3D").empty()) << way;
        EXPECT_EQ(r.all("dialog-end").size(), 1u) << way;
        EXPECT_EQ(r.all("dialog-end")[0]["result"], "0") << way;
    }
}

TEST(NameDialogPaths, TheNameTheBattleUses) {
    const struct {
        const char* steps;
        const char* line;
    } cases[] = {
        {"click OK\n", "あなた のこうげき！"},
        {"type 勇者\nclick OK\n", "勇者 のこうげき！"},
        // Cleared, OK is disabled and the click does nothing; typing enables it again.
        {"key backspace\nclick OK\ntype a\nclick OK\n", "a のこうげき！"},
        // The version box returns to the dialog with the typed text intact.
        {"type 名前\nclick バージョン情報\nclick OK\nclick OK\n", "名前 のこうげき！"},
    };
    for (const auto& c : cases) {
        RunResult r = run_scenario(std::string(c.steps) + kFight);
        EXPECT_EQ(attack_line(r), c.line) << c.steps;
    }
}

TEST(NameDialogPaths, TheVersionBoxIsOwnedByTheDialog) {
    RunResult r = run_scenario("click バージョン情報\nclick OK\nclick キャンセル\n");
    auto boxes = r.all("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["caption"], "バージョン情報");
    EXPECT_EQ(boxes[0]["owner"], r.all("dialog")[0]["hwnd"]);
    EXPECT_EQ(boxes[0]["type"], "64");  // OK with the information icon
    EXPECT_EQ(boxes[0]["text"].rfind("Dorvane 3D\n", 0), 0u);
    EXPECT_EQ(r.exit_code, 0);
}

}  // namespace
