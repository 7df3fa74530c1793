// Whole-program scenarios of the stage (the screen window) and the message
// window's frame: start-up failures, the intro, window placement, the screen
// effects, the defeat screen with its quit chain, the hit-point box and the
// translucency of the message window.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/scenario.h"

namespace {

// Every start first confirms the name dialog.
std::string start_steps() { return "click OK\n"; }

// How long after the start tick the stage is created (the start-up pause).
long StageDelay() {
    static const long delay = [] {
        RunResult r = run_scenario(start_steps() + "tick 10000\nwait 1\n");
        return r.created_at("DORVAN3D") - 10000;
    }();
    return delay;
}

struct Rgb {
    int r, g, b;
};

Rgb ParseRgb(const std::string& s) {
    Rgb c{-1, -1, -1};
    if (s.size() == 7 && s[0] == '#') {
        long v = std::strtol(s.c_str() + 1, nullptr, 16);
        c = {int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255)};
    }
    return c;
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::string Until(long t) { return "until " + std::to_string(t) + "\n"; }

// Events after the script's step of this kind (the first one).
std::vector<Event> EventsAfter(const RunResult& r, const std::string& ev) {
    std::vector<Event> out;
    bool seen = false;
    for (const Event& e : r.events) {
        if (seen) out.push_back(e);
        if (e["ev"] == ev) seen = true;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Start-up failures: a message box naming what failed, and exit code 1.

struct ExitCase {
    const char* setting;
    const char* text;
    bool owned_by_stage;     // the stage exists and owns the box
    const char* not_created; // a window class that must not come to exist
};

class StageExit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(StageExit, ShowsTheFailureAndExitsWithOne) {
    const ExitCase& c = GetParam();
    RunResult r = run_scenario(start_steps() + c.setting + "\nclick OK\nwait 100\n");
    EXPECT_EQ(r.exit_code, 1) << r.stderr_text;
    std::vector<Event> boxes = r.all("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], c.text);
    EXPECT_EQ(boxes[0]["caption"], "Dorvane 3D");
    EXPECT_EQ(boxes[0].num("type"), 0x10);  // OK with the error icon
    std::vector<Event> stage = r.all("create", "class", "DORVAN3D");
    if (c.owned_by_stage) {
        ASSERT_EQ(stage.size(), 1u);
        EXPECT_EQ(boxes[0]["owner"], stage[0]["hwnd"]);
    } else {
        EXPECT_EQ(boxes[0]["owner"], "0");
        EXPECT_TRUE(stage.empty());
    }
    if (c.not_created) {
        EXPECT_TRUE(r.all("create", "class", c.not_created).empty()) << c.not_created;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Program, StageExit,
    ::testing::Values(ExitCase{"refuse-class DORVAN3D", "ウィンドウクラスの登録に失敗(1)。", false, "DORVAN3DW"},
                      ExitCase{"refuse-class DORVAN3DW", "ウィンドウクラスの登録に失敗(2)。", false, "DORVAN3DW"},
                      ExitCase{"refuse-class DORVAN3DE", "ウィンドウクラスの登録に失敗(3)。", false, "DORVAN3DW"},
                      ExitCase{"refuse-window DORVAN3D", "メインウィンドウの生成に失敗。", false, "DORVAN3DW"},
                      ExitCase{"refuse-window DORVAN3DW", "メッセージウィンドウの生成に失敗。", true, "DORVAN3DE"},
                      ExitCase{"refuse-window DORVAN3DE", "エネミーウィンドウの生成に失敗。", true, nullptr}));

// ---------------------------------------------------------------------------
// The intro: the frozen desktop's top band, shrinking by elevenths, stretched
// over the whole screen, then black.

std::string RowColour(int row) {
    char s[8];
    std::snprintf(s, sizeof s, "#%02x%02x40", row & 255, row >> 8);
    return s;
}

TEST(ProgramStage, IntroStretchesAShrinkingTopBandThenEndsBlack) {
    const long created = 10000 + StageDelay();
    std::string script = start_steps() + "screen 1024 768\ndesktop rows\ntick 10000\n";
    for (int n = 1; n <= 11; ++n) script += Until(created + 34 * n + 1) + "pixel 5 0\npixel 5 767\n";
    RunResult r = run_scenario(script);
    ASSERT_EQ(r.created_at("DORVAN3D"), created);
    for (int n = 1; n <= 11; ++n) {
        int band = 768 * (11 - n) / 11;
        SCOPED_TRACE("tick " + std::to_string(n) + ", band " + std::to_string(band));
        if (band > 0) {
            EXPECT_EQ(r.pixel(2 * (n - 1)), RowColour(0));
            EXPECT_EQ(r.pixel(2 * (n - 1) + 1), RowColour(band - 1));
        } else {
            EXPECT_EQ(r.pixel(2 * (n - 1)), "#000000");
            EXPECT_EQ(r.pixel(2 * (n - 1) + 1), "#000000");
        }
    }
}

// ---------------------------------------------------------------------------
// Where the message and enemy windows go, from the screen size.

struct Placement {
    int screen_w, screen_h;
    int msg[4];
    int enemy[4];
};

class StagePlacement : public ::testing::TestWithParam<Placement> {};

TEST_P(StagePlacement, MessageAndEnemyWindowsFollowTheScreenSize) {
    const Placement& p = GetParam();
    RunResult r = run_scenario(start_steps() + "screen " + std::to_string(p.screen_w) + " " +
                               std::to_string(p.screen_h) + "\nwait 1\n");
    struct {
        const char* cls;
        const int* rect;
    } windows[] = {{"DORVAN3DW", p.msg}, {"DORVAN3DE", p.enemy}};
    for (const auto& w : windows) {
        std::vector<Event> c = r.all("create", "class", w.cls);
        ASSERT_EQ(c.size(), 1u) << w.cls;
        EXPECT_EQ(c[0].num("x"), w.rect[0]) << w.cls;
        EXPECT_EQ(c[0].num("y"), w.rect[1]) << w.cls;
        EXPECT_EQ(c[0].num("w"), w.rect[2]) << w.cls;
        EXPECT_EQ(c[0].num("h"), w.rect[3]) << w.cls;
        EXPECT_FALSE(r.all("show", "class", w.cls).empty()) << w.cls;
    }
}

INSTANTIATE_TEST_SUITE_P(Program, StagePlacement,
                         ::testing::Values(Placement{1024, 768, {50, 588, 924, 160}, {410, 282, 204, 204}},
                                           Placement{1920, 1080, {50, 900, 1820, 160}, {768, 348, 384, 384}}));

// ---------------------------------------------------------------------------
// The screen effects, sampled on the stage away from the other windows just
// after each of their 100 ms ticks, then once more when they are over.

const char* const kRed = "#ff0000";
const char* const kYellow = "#ffff00";
const char* const kBlack = "#000000";

struct EffectCase {
    const char* name;
    const char* message;
    bool defeated;                     // the stage is red underneath
    std::vector<std::string> ticks;    // the stage after each tick (a flash's last one repaints at once)
    const char* after;                 // the stage once the effect is over
};

class StageEffect : public ::testing::TestWithParam<EffectCase> {};

TEST_P(StageEffect, PaintsItsSequenceThenRepaintsOrNot) {
    const EffectCase& c = GetParam();
    std::string script = start_steps() + "wait 1000\n";
    if (c.defeated) script += "send DORVAN3D WMU_DEFEAT\nwait 50\npixel 5 300\n";
    script += std::string("send DORVAN3D ") + c.message + "\nwait 1\n";
    for (size_t i = 0; i < c.ticks.size(); ++i) script += "wait 100\npixel 5 300\n";
    script += "wait 500\npixel 5 300\n";
    RunResult r = run_scenario(script);
    size_t first = 0;
    if (c.defeated) {
        ASSERT_EQ(r.pixel(0), kRed);
        first = 1;
    }
    for (size_t i = 0; i < c.ticks.size(); ++i) EXPECT_EQ(r.pixel(first + i), c.ticks[i]) << "tick " << i + 1;
    EXPECT_EQ(r.pixel(first + c.ticks.size()), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Program, StageEffect,
    ::testing::Values(
        EffectCase{"YellowFlash", "WMU_FLASHYELLOW", false, {kYellow, kBlack, kYellow, kBlack}, kBlack},
        EffectCase{"YellowFlashAfterDefeat", "WMU_FLASHYELLOW", true, {kYellow, kBlack, kYellow, kRed}, kRed},
        EffectCase{"RedFlash", "WMU_FLASHRED", false, {kRed, kBlack, kRed, kBlack}, kBlack},
        EffectCase{"RedFlashAfterDefeat", "WMU_FLASHRED", true, {kRed, kBlack, kRed, kRed}, kRed},
        // No repaint at the end: the red stage stays painted over.
        EffectCase{"BlackoutAfterDefeat", "WMU_BLACKOUT", true, {kBlack, kBlack, kBlack, kBlack, kBlack}, kBlack}),
    [](const ::testing::TestParamInfo<EffectCase>& i) { return std::string(i.param.name); });

TEST(ProgramStage, BlinkHidesAndShowsTheEnemyTwiceEndingVisible) {
    RunResult r = run_scenario(start_steps() + "wait 1000\nsend DORVAN3D WMU_BLINKENEMY\nwait 1000\n");
    std::vector<Event> sent = r.all("send");
    ASSERT_EQ(sent.size(), 1u);
    long s = sent[0].num("t");
    std::vector<std::pair<std::string, long>> seen;
    for (const Event& e : EventsAfter(r, "send"))
        if (e["class"] == "DORVAN3DE" && (e["ev"] == "hide" || e["ev"] == "show")) seen.push_back({e["ev"], e.num("t")});
    std::vector<std::pair<std::string, long>> expected = {
        {"hide", s + 100}, {"show", s + 200}, {"hide", s + 300}, {"show", s + 400}};
    EXPECT_EQ(seen, expected);
}

TEST(ProgramStage, MessageForTheEnemyWindowDoesNothingToTheStage) {
    RunResult r = run_scenario(start_steps() + "wait 1000\nsend DORVAN3D 0x8006\nwait 500\npixel 5 300\npixel 512 384\n");
    ASSERT_EQ(r.all("send").size(), 1u);
    for (const Event& e : EventsAfter(r, "send")) {
        EXPECT_NE(e["class"], "DORVAN3D") << e["ev"];
        EXPECT_NE(e["class"], "DORVAN3DE") << e["ev"];
        EXPECT_NE(e["ev"], "msgbox");
        EXPECT_NE(e["ev"], "exit");
    }
    EXPECT_EQ(r.pixel(0), kBlack);
    EXPECT_EQ(r.pixel(1), kBlack);
}

// ---------------------------------------------------------------------------
// Defeat: the red stage and the close button sliding in from above.

TEST(ProgramStage, DefeatTurnsRedAndSlidesTheCloseButtonIn) {
    RunResult r = run_scenario(start_steps() + "wait 1000\nsend DORVAN3D WMU_DEFEAT\nwait 50\npixel 512 100\nwait 8500\n");
    EXPECT_EQ(r.pixel(0), kRed);
    std::vector<Event> sent = r.all("send");
    ASSERT_EQ(sent.size(), 1u);
    long s = sent[0].num("t");
    std::vector<Event> buttons = r.all("create", "title", "×");
    ASSERT_EQ(buttons.size(), 1u);
    const Event& b = buttons[0];
    EXPECT_EQ(b["class"], "Button");
    EXPECT_EQ(b.num("t"), s + 100);
    EXPECT_EQ(b.num("y"), -80);
    std::vector<Event> moves = r.all("move", "hwnd", b["hwnd"]);
    ASSERT_EQ(moves.size(), 80u);
    for (size_t i = 0; i < moves.size(); ++i) {
        EXPECT_EQ(moves[i].num("t"), s + 200 + 100 * long(i)) << i;
        EXPECT_EQ(moves[i].num("x"), 0) << i;
        EXPECT_EQ(moves[i].num("y"), long(i) - 79) << i;
        EXPECT_EQ(moves[i].num("w"), 22);
        EXPECT_EQ(moves[i].num("h"), 22);
    }
    std::vector<Event> shows = r.all("show", "hwnd", b["hwnd"]);
    ASSERT_FALSE(shows.empty());
    EXPECT_EQ(shows[0].num("t"), s + 200);
    EXPECT_EQ(shows[0].num("y"), -79);
}

// The quit chain behind the close button: only one path of answers ends the
// program; every other returns to the red stage with the button in place.

struct ChainCase {
    const char* name;
    std::vector<std::string> answers;
    std::vector<std::string> texts;  // the boxes shown, in order
    bool quits;
};

class QuitChain : public ::testing::TestWithParam<ChainCase> {};

TEST_P(QuitChain, FollowsTheAnswers) {
    const ChainCase& c = GetParam();
    std::string script = start_steps() + "wait 1000\nsend DORVAN3D WMU_DEFEAT\nwait 8300\nclick ×\n";
    for (const std::string& a : c.answers) script += "click " + a + "\n";
    script += "wait 300\npixel 300 300\n";
    if (!c.quits) script += "click ×\nwait 100\n";
    RunResult r = run_scenario(script);
    std::vector<std::string> texts;
    for (const Event& e : r.all("msgbox")) texts.push_back(e["text"]);
    std::vector<std::string> expected = c.texts;
    if (!c.quits) expected.push_back("終了したいですか？");  // pressed again: the chain starts over
    EXPECT_EQ(texts, expected);
    std::vector<Event> stage = r.all("create", "class", "DORVAN3D");
    ASSERT_EQ(stage.size(), 1u);
    for (const Event& e : r.all("msgbox")) EXPECT_EQ(e["owner"], stage[0]["hwnd"]) << e["text"];
    if (c.quits) {
        EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
        ASSERT_FALSE(r.all("exit").empty());
        EXPECT_EQ(r.all("exit")[0].num("code"), 0);
    } else {
        EXPECT_EQ(r.exit_code, 124) << r.stderr_text;  // still running, under the new box
        EXPECT_EQ(r.pixel(0), kRed);
        EXPECT_TRUE(r.all("exit").empty());
    }
}

const char* const kWant = "終了したいですか？";
const char* const kTurn = "３回まわってワンと言ってください。";
const char* const kDid = "本当にやりましたか？";
const char* const kLie = "実は嘘をついているでしょう。わかっています。\n嘘をつきましたか？";

INSTANTIATE_TEST_SUITE_P(
    Program, QuitChain,
    ::testing::Values(ChainCase{"NoToTheFirst", {"いいえ"}, {kWant}, false},
                      ChainCase{"DidNotTurn", {"はい", "OK", "いいえ", "OK"}, {kWant, kTurn, kDid, "却下！"}, false},
                      ChainCase{"AdmitsTheLie",
                                {"はい", "OK", "はい", "はい", "OK"},
                                {kWant, kTurn, kDid, kLie, "だめじゃん！"},
                                false},
                      ChainCase{"Quits",
                                {"はい", "OK", "はい", "いいえ", "OK"},
                                {kWant, kTurn, kDid, kLie, "では、終了します。"},
                                true}),
    [](const ::testing::TestParamInfo<ChainCase>& i) { return std::string(i.param.name); });

// ---------------------------------------------------------------------------
// The message window: its hit-point box and its translucency.

struct AlphaCase {
    const char* name;
    const char* version;  // empty: the default system
    bool translucent;
    Rgb box, text;
};

class MessageWindowLook : public ::testing::TestWithParam<AlphaCase> {};

// Samples a row through the middle of " ＨＰ：５０ " and checks that it holds only
// the box colour and the text colour, both of them.
TEST_P(MessageWindowLook, HitPointBoxOverTheBlackStage) {
    const AlphaCase& c = GetParam();
    // The message window's client area starts at (51, 589) on 1024 x 768; the box
    // is drawn at (440, 102) in it.
    const int y = 589 + 102 + 8;
    const int x0 = 51 + 440;
    std::string script = start_steps() + c.version + "\nwait 1000\n";
    for (int x = x0; x < x0 + 48; ++x) script += "pixel " + std::to_string(x) + " " + std::to_string(y) + "\n";
    RunResult r = run_scenario(script);
    std::vector<Event> box = r.all("text", "text", " ＨＰ：５０ ");
    ASSERT_FALSE(box.empty());
    EXPECT_EQ(box[0]["class"], "DORVAN3DW");
    EXPECT_EQ(box[0].num("x"), 440);
    EXPECT_EQ(box[0].num("y"), 102);
    std::vector<Event> alpha = r.all("alpha", "class", "DORVAN3DW");
    if (c.translucent) {
        ASSERT_EQ(alpha.size(), 1u);
        EXPECT_EQ(alpha[0].num("alpha"), 200);
    } else {
        EXPECT_TRUE(alpha.empty());
    }
    int box_pixels = 0, text_pixels = 0;
    for (int i = 0; i < 48; ++i) {
        Rgb p = ParseRgb(r.pixel(i));
        if (Near(p, c.box, 2)) ++box_pixels;
        else if (Near(p, c.text, 2)) ++text_pixels;
        else ADD_FAILURE() << "x " << x0 + i << ": " << r.pixel(i);
    }
    EXPECT_GT(box_pixels, 0);
    EXPECT_GT(text_pixels, 0);
}

INSTANTIATE_TEST_SUITE_P(Program, MessageWindowLook,
                         ::testing::Values(AlphaCase{"Translucent", "", true, {0, 0, 94}, {200, 200, 200}},
                                           AlphaCase{"Windows98", "version 9x 4 10", false, {0, 0, 119}, {255, 255, 255}},
                                           AlphaCase{"NT4", "version nt 4 0", false, {0, 0, 119}, {255, 255, 255}}),
                         [](const ::testing::TestParamInfo<AlphaCase>& i) { return std::string(i.param.name); });

// The opening lines, each drawn twice one pixel apart (a bold look).
TEST(ProgramMessageWindow, OpeningLinesAreDrawnTwiceOnePixelApart) {
    // Start so that the stage is created at a tick count of 4 modulo 5: the fifth enemy.
    const long start = 10000 + (4 - (10000 + StageDelay()) % 5 + 5) % 5;
    RunResult r = run_scenario(start_steps() + "tick " + std::to_string(start) + "\nwait 1500\n");
    const char* lines[3] = {"「ぐはははは、このスクリーンはいただいた～」", "ドルバ があらわれた。", "どうする？"};
    const long created = r.created_at("DORVAN3DW");
    ASSERT_GE(created, 0);
    for (int i = 0; i < 3; ++i) {
        std::vector<Event> drawn = r.all("text", "text", lines[i]);
        ASSERT_GE(drawn.size(), 2u) << lines[i];
        // First drawn on the tick that sets it, at x 16 then x 17.
        EXPECT_EQ(drawn[0].num("t"), created + 350 * (i + 1)) << lines[i];
        EXPECT_EQ(drawn[0].num("x"), 16);
        EXPECT_EQ(drawn[1].num("x"), 17);
        EXPECT_EQ(drawn[0].num("y"), 16 + 24 * i);
        EXPECT_EQ(drawn[1].num("y"), 16 + 24 * i);
    }
    // The buttons come with the question.
    for (const char* b : {"たたかう", "にげる", "まほう", "どうぐ"}) {
        std::vector<Event> c = r.all("create", "title", b);
        ASSERT_EQ(c.size(), 1u) << b;
        std::vector<Event> shown = r.all("show", "hwnd", c[0]["hwnd"]);
        ASSERT_FALSE(shown.empty()) << b;
        EXPECT_EQ(shown[0].num("t"), created + 350 * 3) << b;
    }
}

}  // namespace

namespace {

// The same flash asked for again while it runs starts over from its colour.
TEST(ProgramStage, FlashAskedAgainRestartsFromItsColour) {
    RunResult r = run_scenario(start_steps() +
                               "wait 1000\nsend DORVAN3D WMU_FLASHYELLOW\nwait 150\nsend DORVAN3D WMU_FLASHYELLOW\n"
                               "wait 101\npixel 5 300\nwait 100\npixel 5 300\nwait 100\npixel 5 300\n"
                               "wait 100\npixel 5 300\n");
    ASSERT_EQ(r.all("send").size(), 2u);
    EXPECT_EQ(r.pixel(0), kYellow);
    EXPECT_EQ(r.pixel(1), kBlack);
    EXPECT_EQ(r.pixel(2), kYellow);  // the first flash would be over by now
    EXPECT_EQ(r.pixel(3), kBlack);
}

// The close button works while it is still sliding in, and the slide goes on
// under the quit chain's first box.
TEST(ProgramStage, CloseButtonPressedWhileSlidingKeepsSlidingUnderTheBox) {
    RunResult r = run_scenario(start_steps() +
                               "wait 1000\nsend DORVAN3D WMU_DEFEAT\nwait 7050\nclick ×\nwait 1500\nclick いいえ\nwait 100\n");
    std::vector<Event> sent = r.all("send");
    ASSERT_EQ(sent.size(), 1u);
    const long s = sent[0].num("t");
    std::vector<Event> boxes = r.all("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "終了したいですか？");
    EXPECT_EQ(boxes[0].num("t"), s + 7050);
    std::vector<Event> buttons = r.all("create", "title", "×");
    ASSERT_EQ(buttons.size(), 1u);
    std::vector<Event> moves = r.all("move", "hwnd", buttons[0]["hwnd"]);
    ASSERT_EQ(moves.size(), 80u);
    EXPECT_GT(moves.back().num("t"), boxes[0].num("t"));
    EXPECT_EQ(moves.back().num("y"), 0);
    std::vector<Event> answers = r.all("msgbox-answer");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_GT(answers[0].num("t"), moves.back().num("t"));
    EXPECT_EQ(answers[0].num("answer"), 7);
    EXPECT_EQ(r.exit_code, 124);
}

}  // namespace
