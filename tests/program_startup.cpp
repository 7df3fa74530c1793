// Start-up's pure pieces: the Shift_JIS lead-byte test and the program folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/dorvan3d.h"
#include "platform/backend/headless/headless_backend.h"

namespace {

struct DbcsCase {
    const char* text;
    int index;
    int expected;
};

TEST(IsDbcsLeadAt, FindsLeadBytesByWalkingFromTheStart) {
    // 0x95 0x5C is one character; 0x5C alone is a backslash.
    const DbcsCase cases[] = {
        {"C:\\\x95\x5C.exe", 3, 1},  // lead byte of the pair
        {"C:\\\x95\x5C.exe", 4, 0},  // its trail byte, 0x5C
        {"C:\\\x95\x5C.exe", 2, 0},  // a real backslash
        {"\x95\x5C\x95\x5C", 2, 1},  // the second pair's lead, found by stepping over the first pair
        {"\x5C\x95\x5C", 0, 0},
        {"abc", -1, 0},
        {"abc", 3, 0},               // at the terminator
        {"abc", 10, 0},              // past the end
        {"\x95", 0, 1},              // a lead byte cut off by the end is still a lead byte
        {"a\x95", 2, 0},             // the missing trail
        {"\xE0\x40", 0, 1},
        {"\xFD\x40", 0, 0},          // 0xFD is no lead byte
        {"\xA0\x40", 0, 0},
    };
    for (const DbcsCase& c : cases) EXPECT_EQ(IsDbcsLeadAt(c.text, c.index), c.expected) << c.text << " @ " << c.index;
}

// ChangeToProgramDir with the executable at a chosen path: the folder it asks for.
std::string folder_for(const std::string& module) {
    FILE* report = std::tmpfile();
    plat::HeadlessBackend backend(report);
    backend.set_module_file(module);
    plat::set_backend(&backend);
    ChangeToProgramDir();
    std::rewind(report);
    std::string all;
    char buf[512];
    while (std::fgets(buf, sizeof buf, report)) all += buf;
    std::fclose(report);
    size_t at = all.find("\"path\":\"");
    if (at == std::string::npos) return "(unchanged)";
    at += 8;
    std::string path;
    for (size_t i = at; i < all.size() && all[i] != '"'; ++i) {
        if (all[i] == '\\') ++i;
        path += all[i];
    }
    return path;
}

TEST(ChangeToProgramDir, CutsTheFileNameAndKeepsADriveRoot) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\game.exe", "C:\\"},          // separator at 2: kept
        {"C:\\a\\game.exe", "C:\\a\\"},     // at 4: kept
        {"C:\\ab\\game.exe", "C:\\ab"},     // at 5: cut
        {"C:\\games\\\x95\x5C.exe", "C:\\games"},  // the 0x5C inside 表 is no separator (reported as UTF-8)
        {"\\game.exe", "(unchanged)"},     // only a separator at 0
        {"game.exe", "(unchanged)"},
    };
    for (const auto& [module, folder] : cases) EXPECT_EQ(folder_for(module), folder) << module;
}

}  // namespace
