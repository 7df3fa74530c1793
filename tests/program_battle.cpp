// Whole-program scenarios of the battle: the start tick is chosen so that each
// roll (which reads the tick count when it is made) lands where a case wants
// it, then the texts, their lines and ticks, the sounds, the effects and the
// hit-point box are read from the report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/scenario.h"

namespace {

// Every start first confirms the name dialog.
std::string start_steps() { return "click OK\n"; }

// The message window's creation (and so its first tick, 350 ms later) comes
// this long after the start tick.
long MessageDelay() {
    static const long delay = [] {
        RunResult r = run_scenario(start_steps() + "tick 10000\nwait 1\n");
        return r.created_at("DORVAN3DW") - 10000;
    }();
    return delay;
}

const char* const kEnemy[5] = {"イーエックスプローラー", "ウィムドウズ", "マックロソフトＭ", "マックロソフトＳ", "ドルバ"};
const int kEnemyAttackSound[5] = {IDW_ENEMYATTACK0, IDW_ENEMYATTACK1, IDW_ENEMYATTACK2, IDW_ENEMYATTACK3,
                                  IDW_ENEMYATTACK4};

// A battle in message-window ticks: tick k falls at created + 350 k. A fight
// round takes nine ticks; the menu is back on the ninth and the next command
// is clicked just after it, or after some ticks more (the gap), which moves
// the next rounds' rolls against each other.
struct Clock {
    long created;
    int gap = 0;
    long at(long tick) const { return created + 350 * tick; }
    int enemy() const { return int(created % 5); }
    long base(int round) const { return 5 + (9 + gap) * round; }
};

// What the rolls of a fight round give, read at the ticks they are made.
struct FightRolls {
    bool player_critical;
    int player_roll;  // tick & 7
    bool enemy_critical;
    int enemy_roll;   // tick % 9
    int player_damage() const { return player_roll + (player_critical ? 10 : 0); }
    int enemy_damage() const { return enemy_roll + (enemy_critical ? 10 : 0); }
};

FightRolls RollsOf(const Clock& c, int round) {
    long b = c.base(round);
    FightRolls f;
    f.player_critical = c.at(b + 2) % 9 == 0;
    f.player_roll = int(c.at(b + 3) & 7);
    f.enemy_critical = c.at(b + 6) % 11 == 0;
    f.enemy_roll = int(c.at(b + 7) % 9);
    return f;
}

// The first start tick whose battle meets the wish.
Clock FindStart(const std::function<bool(const Clock&)>& wish, int max_gap = 0) {
    for (long start = 10000; start < 3000000; ++start) {
        for (int gap = 0; gap <= max_gap; ++gap) {
            Clock c{start + MessageDelay(), gap};
            if (wish(c)) return c;
        }
    }
    ADD_FAILURE() << "no start tick found";
    return Clock{10000 + MessageDelay()};
}

std::string Script(const Clock& c, const std::vector<std::string>& commands, long end_tick) {
    std::string s = start_steps() + "tick " + std::to_string(c.created - MessageDelay()) + "\n";
    for (size_t r = 0; r < commands.size(); ++r)
        s += "until " + std::to_string(c.at(c.base(int(r))) + 10) + "\nclick " + commands[r] + "\n";
    s += "until " + std::to_string(c.at(end_tick) + 10) + "\n";
    return s;
}

std::vector<Event> Drawn(const RunResult& r, const std::string& text) {
    std::vector<Event> out;
    for (const Event& e : r.all("text", "class", "DORVAN3DW"))
        if (e["text"] == text) out.push_back(e);
    return out;
}

// A text set on a tick, drawn on a line from that tick on.
struct Line {
    long tick;  // from the round's base
    int line;
    std::string text;
};

void ExpectLine(const RunResult& r, const Clock& c, long base, const Line& l) {
    std::vector<Event> d;
    for (const Event& e : Drawn(r, l.text))
        if (e.num("t") > c.at(base)) d.push_back(e);
    ASSERT_FALSE(d.empty()) << "never drawn: " << l.text;
    EXPECT_EQ(d[0].num("t"), c.at(base + l.tick)) << l.text;
    EXPECT_EQ(d[0].num("y"), 16 + 24 * l.line) << l.text;
}

// The last tick a text is drawn on.
long LastDrawn(const RunResult& r, const std::string& text) {
    std::vector<Event> d = Drawn(r, text);
    return d.empty() ? -1 : d.back().num("t");
}

// The layer reports only the text output that changes the window, so every
// repaint of the message window in [from, to) must show this text.
void ExpectInEveryPaint(const RunResult& r, const std::string& text, long from, long to) {
    std::map<long, bool> paints;
    for (const Event& e : r.all("text", "class", "DORVAN3DW")) {
        long t = e.num("t");
        if (t >= from && t < to) paints[t] = paints[t] || e["text"] == text;
    }
    EXPECT_FALSE(paints.empty());
    for (const auto& p : paints) EXPECT_TRUE(p.second) << text << " missing from the paint at " << p.first;
}

struct Sound {
    long tick;
    int id;
};

void ExpectSounds(const RunResult& r, const Clock& c, long base, const std::vector<Sound>& expected) {
    std::vector<std::pair<long, int>> seen, want;
    for (const Event& e : r.all("sound"))
        if (e.num("t") > c.at(base)) seen.push_back({e.num("t"), int(e.num("id"))});
    for (const Sound& s : expected) want.push_back({c.at(base + s.tick), s.id});
    EXPECT_EQ(seen, want);
}

std::string HpBox(int hp) {
    static const char* const digits[10] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    return std::string(" ＨＰ：") + (hp >= 10 ? digits[hp / 10] : "　") + digits[hp % 10] + " ";
}

long Hides(const RunResult& r, const char* cls) { return long(r.all("hide", "class", cls).size()); }

// ---------------------------------------------------------------------------
// One round of fighting, by what its rolls give.

struct RoundCase {
    const char* name;
    int enemy;
    FightRolls rolls;
    std::vector<Line> lines;    // besides the opening line and the enemy's attack line
    std::vector<Sound> sounds;  // the whole round
    struct Flash {
        long tick;
        const char* rgb;  // the stage just after the effect's first 100 ms step
    } flash;
};

class FightRound : public ::testing::TestWithParam<RoundCase> {};

TEST_P(FightRound, TellsTheExchangeAtItsPace) {
    const RoundCase& k = GetParam();
    Clock c = FindStart([&](const Clock& c) {
        FightRolls f = RollsOf(c, 0);
        return c.enemy() == k.enemy && f.player_critical == k.rolls.player_critical &&
               f.player_roll == k.rolls.player_roll && f.enemy_critical == k.rolls.enemy_critical &&
               f.enemy_roll == k.rolls.enemy_roll;
    });
    const long b = 5;  // the first round's base
    std::string script = Script(c, {"たたかう"}, b + 9);
    // Sample the stage after the flash's first step; the script is in time order.
    std::string sample = "until " + std::to_string(c.at(b + k.flash.tick) + 101) + "\npixel 5 300\n";
    size_t cut = script.rfind("until ");
    script.insert(cut, sample);
    RunResult r = run_scenario(script);
    ASSERT_EQ(r.created_at("DORVAN3DW"), c.created);
    const std::string enemy = kEnemy[k.enemy];

    ExpectLine(r, c, b, {1, 0, "あなた のこうげき！"});
    ExpectLine(r, c, b, {5, 0, enemy + " のこうげき！"});
    for (const Line& l : k.lines) ExpectLine(r, c, b, l);
    // Everything of the player's turn is cleared with the enemy's attack.
    for (const Line& l : k.lines)
        if (l.tick < 5) {
            EXPECT_LT(LastDrawn(r, l.text), c.at(b + 5)) << l.text;
        }
    ExpectLine(r, c, b, {9, 0, "どうする？"});
    ExpectSounds(r, c, b, k.sounds);
    EXPECT_EQ(r.pixel(0), k.flash.rgb);
    EXPECT_EQ(Hides(r, "DORVAN3DE"), k.rolls.player_damage() > 0 ? 2 : 0);  // the blink of a hit enemy
    const std::string hp = HpBox(50 - k.rolls.enemy_damage());
    if (k.rolls.enemy_damage() > 0) {
        std::vector<Event> box = Drawn(r, hp);
        ASSERT_FALSE(box.empty()) << hp;
        EXPECT_EQ(box[0].num("t"), c.at(b + 7));
    }
    for (const Event& e : r.all("text", "x", "440")) EXPECT_TRUE(e["text"] == hp || e["text"] == HpBox(50)) << e["text"];
}

const char* const kYellow = "#ffff00";
const char* const kRed = "#ff0000";
const char* const kBlack = "#000000";

INSTANTIATE_TEST_SUITE_P(
    Program, FightRound,
    ::testing::Values(
        RoundCase{"Plain",
                  4,
                  {false, 5, false, 3},
                  {{3, 1, "ドルバ に 5 のダメージを与えた！！"}, {7, 1, "あなた は 3 のダメージを受けた！！"}},
                  {{1, IDW_PLAYERATTACK}, {3, IDW_ENEMYHURT}, {5, IDW_ENEMYATTACK4}, {7, IDW_PLAYERHURT}},
                  {3, kBlack}},
        // A critical hit never misses: a zero roll still does ten.
        RoundCase{"PlayerCritical",
                  0,
                  {true, 0, false, 4},  // a critical roll fixes this enemy roll at 4
                  {{2, 1, "かいしんのいちげき！！"},
                   {3, 2, "イーエックスプローラー に 10 のダメージを与えた！！"},
                   {7, 1, "あなた は 4 のダメージを受けた！！"}},
                  {{1, IDW_PLAYERATTACK}, {2, IDW_CRITICAL}, {3, IDW_ENEMYHURT}, {5, IDW_ENEMYATTACK0},
                   {7, IDW_PLAYERHURT}},
                  {2, kYellow}},
        RoundCase{"EnemyCritical",
                  1,
                  {false, 1, true, 0},
                  {{3, 1, "ウィムドウズ に 1 のダメージを与えた！！"},
                   {6, 1, "つうこんのいちげき！！"},
                   {7, 2, "あなた は 10 のダメージを受けた！！"}},
                  {{1, IDW_PLAYERATTACK}, {3, IDW_ENEMYHURT}, {5, IDW_ENEMYATTACK1}, {6, IDW_CRITICAL},
                   {7, IDW_PLAYERHURT}},
                  {6, kRed}},
        RoundCase{"PlayerMisses",
                  2,
                  {false, 0, false, 7},
                  {{3, 1, "ミス！！ マックロソフトＭ はダメージを受けない！！"}, {7, 1, "あなた は 7 のダメージを受けた！！"}},
                  {{1, IDW_PLAYERATTACK}, {3, IDW_MISS}, {5, IDW_ENEMYATTACK2}, {7, IDW_PLAYERHURT}},
                  {3, kBlack}},
        RoundCase{"EnemyMisses",
                  3,
                  {false, 4, false, 0},
                  {{3, 1, "マックロソフトＳ に 4 のダメージを与えた！！"}, {7, 1, "ミス！！ あなた はダメージを受けない！！"}},
                  {{1, IDW_PLAYERATTACK}, {3, IDW_ENEMYHURT}, {5, IDW_ENEMYATTACK3}, {7, IDW_MISS}},
                  {6, kBlack}}),
    [](const ::testing::TestParamInfo<RoundCase>& i) { return std::string(i.param.name); });

// ---------------------------------------------------------------------------
// Running, magic and items: two lines kept until the enemy's turn clears them.

struct FailingCase {
    const char* name;
    const char* button;
    const char* attempt;
    int sound;
    const char* failure;
};

class FailingCommand : public ::testing::TestWithParam<FailingCase> {};

TEST_P(FailingCommand, CostsATurnAndTheEnemyAttacks) {
    const FailingCase& k = GetParam();
    const long b = 5;  // the first round's base
    // The enemy's rolls come one tick earlier than after a fight.
    Clock c = FindStart([&](const Clock& c) { return c.at(b + 5) % 11 != 0 && c.at(b + 6) % 9 == 6; });
    RunResult r = run_scenario(Script(c, {k.button}, b + 8));
    ASSERT_EQ(r.created_at("DORVAN3DW"), c.created);
    const std::string enemy = kEnemy[c.enemy()];
    ExpectLine(r, c, b, {1, 0, k.attempt});
    ExpectLine(r, c, b, {2, 1, k.failure});
    // Kept through the tick that hands over to the fight, gone with the enemy's attack.
    ExpectInEveryPaint(r, k.attempt, c.at(b + 1), c.at(b + 4));
    ExpectInEveryPaint(r, k.failure, c.at(b + 2), c.at(b + 4));
    EXPECT_LT(LastDrawn(r, k.attempt), c.at(b + 4));
    EXPECT_LT(LastDrawn(r, k.failure), c.at(b + 4));
    ExpectLine(r, c, b, {4, 0, enemy + " のこうげき！"});
    ExpectLine(r, c, b, {6, 1, "あなた は 6 のダメージを受けた！！"});
    ExpectLine(r, c, b, {8, 0, "どうする？"});
    ExpectSounds(r, c, b, {{1, k.sound}, {4, kEnemyAttackSound[c.enemy()]}, {6, IDW_PLAYERHURT}});
    EXPECT_FALSE(Drawn(r, HpBox(44)).empty());
    EXPECT_EQ(Hides(r, "DORVAN3DE"), 0);  // the enemy took nothing
}

INSTANTIATE_TEST_SUITE_P(
    Program, FailingCommand,
    ::testing::Values(FailingCase{"Run", "にげる", "あなた はにげだした！", IDW_RUN, "しかし、まわりこまれてしまった！！"},
                      FailingCase{"Magic", "まほう", "あなた はまほうをつかおうとした！", IDW_MAGIC,
                                  "しかし、まほうをおぼえていなかった！！"},
                      FailingCase{"Item", "どうぐ", "あなた はどうぐをつかおうとした！", IDW_ITEM,
                                  "しかし、どうぐをもっていなかった！！"}),
    [](const ::testing::TestParamInfo<FailingCase>& i) { return std::string(i.param.name); });

// ---------------------------------------------------------------------------
// The ends of the fight, over several rounds.

// Plays rounds of fighting on paper: how many it takes until one side is done.
struct Outcome {
    int rounds = 0;  // the round that ends it, plus one
    bool won = false;
    int player_hp = 50;
    int enemy_hp = 50;
    bool final_critical = false;
};

Outcome Foresee(const Clock& c) {
    Outcome o;
    for (int r = 0; r < 24; ++r) {
        FightRolls f = RollsOf(c, r);
        o.enemy_hp -= f.player_damage();
        o.final_critical = f.player_critical;
        o.rounds = r + 1;
        if (o.enemy_hp <= 0) {
            o.won = true;
            return o;
        }
        o.player_hp -= f.enemy_damage();
        if (o.player_hp <= 0) return o;
    }
    o.rounds = 0;
    return o;
}

struct EndCase {
    const char* name;
    std::function<bool(const Outcome&)> wish;
};

class FightEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(FightEnd, EndsExactlyWhereTheHitPointsRunOut) {
    const EndCase& k = GetParam();
    Outcome o;
    Clock c = FindStart([&](const Clock& c) {
        o = Foresee(c);
        return o.rounds > 1 && k.wish(o);
    }, 3);
    const long last = c.base(o.rounds - 1);
    std::vector<std::string> commands(o.rounds, "たたかう");
    // The stage, and a pixel of the hit-point box's leading blank.
    std::string script = Script(c, commands, last + 12) + "pixel 5 300\npixel 492 699\n";
    RunResult r = run_scenario(script);
    ASSERT_EQ(r.created_at("DORVAN3DW"), c.created);
    const std::string enemy = kEnemy[c.enemy()];
    EXPECT_EQ(r.exit_code, 124);  // the program goes on: the ending takes over from here
    EXPECT_TRUE(r.all("destroy", "class", "DORVAN3D").empty());
    if (o.won) {
        ExpectLine(r, c, last, {4, 2, enemy + " をたおした！"});
        // The enemy never strikes back after the beating blow.
        for (const Event& e : r.all("sound")) {
            if (e.num("t") > c.at(last)) {
                EXPECT_NE(e.num("id"), kEnemyAttackSound[c.enemy()]);
            }
        }
        EXPECT_LT(LastDrawn(r, enemy + " のこうげき！"), c.at(last));
        ExpectSounds(r, c, last,
                     o.final_critical
                         ? std::vector<Sound>{{1, IDW_PLAYERATTACK}, {2, IDW_CRITICAL}, {3, IDW_ENEMYHURT}, {4, IDW_ENEMYVANISH}}
                         : std::vector<Sound>{{1, IDW_PLAYERATTACK}, {3, IDW_ENEMYHURT}, {4, IDW_ENEMYVANISH}});
        if (o.final_critical) {
            // The blow's text on line 2 gives way to the victory one tick later.
            FightRolls f = RollsOf(c, o.rounds - 1);
            std::string blow = enemy + " に " + std::to_string(f.player_damage()) + " のダメージを与えた！！";
            ExpectLine(r, c, last, {3, 2, blow});
            EXPECT_EQ(LastDrawn(r, blow), c.at(last + 3));
        }
        EXPECT_EQ(r.pixel(0), kBlack);  // the stage stays as it is
    } else {
        ExpectLine(r, c, last, {8, 2, "あなた は、やられてしまった！"});
        FightRolls f = RollsOf(c, o.rounds - 1);
        std::vector<Sound> sounds = {{1, IDW_PLAYERATTACK}};
        if (f.player_critical) sounds.push_back({2, IDW_CRITICAL});
        sounds.push_back({3, f.player_damage() > 0 ? IDW_ENEMYHURT : IDW_MISS});
        sounds.push_back({5, kEnemyAttackSound[c.enemy()]});
        if (f.enemy_critical) sounds.push_back({6, IDW_CRITICAL});
        sounds.push_back({7, IDW_PLAYERHURT});
        sounds.push_back({8, IDW_PLAYERDEFEATED});
        ExpectSounds(r, c, last, sounds);
        std::vector<Event> box = Drawn(r, HpBox(0));
        ASSERT_FALSE(box.empty());
        EXPECT_EQ(box[0].num("t"), c.at(last + 7));
        // Dark red under the translucency: 119 * 200 / 255.
        EXPECT_EQ(r.pixel(1), "#5d0000");
        EXPECT_LE(LastDrawn(r, "どうする？"), c.at(last));  // no menu after the defeat
    }
}

INSTANTIATE_TEST_SUITE_P(
    Program, FightEnd,
    ::testing::Values(
        EndCase{"EnemyAtExactlyZero", [](const Outcome& o) { return o.won && o.enemy_hp == 0 && !o.final_critical; }},
        EndCase{"EnemyAtZeroByACritical",
                [](const Outcome& o) { return o.won && o.enemy_hp == 0 && o.final_critical; }},
        EndCase{"PlayerAtExactlyZero", [](const Outcome& o) { return !o.won && o.player_hp == 0; }},
        EndCase{"PlayerBelowZero", [](const Outcome& o) { return !o.won && o.player_hp < 0; }}),
    [](const ::testing::TestParamInfo<EndCase>& i) { return std::string(i.param.name); });

}  // namespace
