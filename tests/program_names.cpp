// Names of any length: the battle's buffers fit the name, and only the
// formatter's 1024-byte limit cuts a line.
#include <gtest/gtest.h>

#include "tests/support/scenario.h"

namespace {

std::string attack_line(const RunResult& r) {
    for (const Event& e : r.all("text", "class", "DORVAN3DW"))
        if (e["y"] == "16" && e["text"].find("のこうげき！") != std::string::npos) return e["text"];
    for (const Event& e : r.all("text", "class", "DORVAN3DW"))
        if (e["y"] == "16" && e["text"].rfind("xxxx", 0) == 0) return e["text"];
    return "(none)";
}

TEST(LongNames, FillTheirLinesUpToTheFormattersLimit) {
    const struct {
        size_t length;
        std::string expected;
    } cases[] = {
        {1000, std::string(1000, 'x') + " のこうげき！"},
        {2000, std::string(1023, 'x')},  // cut at 1023 bytes and the terminator
    };
    for (const auto& c : cases) {
        RunResult r = run_scenario("tick 10000\ntype " + std::string(c.length, 'x') +
                                   "\nclick OK\nwait 1300\nclick たたかう\nwait 400\n");
        EXPECT_EQ(attack_line(r), c.expected) << c.length;
    }
}

TEST(Names, SpacesAreKeptAsTyped) {
    RunResult r = run_scenario("tick 10000\ntype  勇者 \nclick OK\nwait 1300\nclick たたかう\nwait 400\n");
    EXPECT_EQ(attack_line(r), " 勇者  のこうげき！");
}

}  // namespace
