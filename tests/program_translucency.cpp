// SetWindowAlpha on each kind of system, and the directory it borrows.
#include <gtest/gtest.h>

#include <string>

#include "app/dorvan3d.h"
#include "platform/backend/headless/headless_backend.h"

namespace {

LRESULT CALLBACK Plain(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

struct AlphaCase {
    const char* name;
    uint32_t platform, major, minor;
    BYTE alpha;
    int result;
    bool layered;  // afterwards
};

class SetWindowAlphaTest : public ::testing::TestWithParam<AlphaCase> {};

TEST_P(SetWindowAlphaTest, AppliesOnlyFromNt5On) {
    const AlphaCase& c = GetParam();
    static plat::HeadlessBackend backend(nullptr);
    backend.set_version(c.platform, c.major, c.minor);
    plat::set_backend(&backend);
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Plain;
        wc.lpszClassName = "AlphaWindow";
        registered = RegisterClassExA(&wc) != 0;
    }
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, "AlphaWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(w, nullptr);
    char before[520], after[520];
    GetCurrentDirectoryA(sizeof before, before);
    EXPECT_EQ(SetWindowAlpha(w, c.alpha), c.result);
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(before, after);
    LONG ex = GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_EQ((ex & WS_EX_LAYERED) != 0, c.layered);
    EXPECT_EQ(ex & ~WS_EX_LAYERED, WS_EX_TOOLWINDOW);  // nothing else touched
    DestroyWindow(w);
}

INSTANTIATE_TEST_SUITE_P(
    Program, SetWindowAlphaTest,
    ::testing::Values(AlphaCase{"Nt5Translucent", 2, 5, 0, 200, 1, true},
                      AlphaCase{"Nt51Transparent", 2, 5, 1, 0, 1, true},
                      AlphaCase{"OpaqueIsNotLayered", 2, 5, 1, 255, 1, false},
                      AlphaCase{"Nt4", 2, 4, 0, 200, 0, false},
                      AlphaCase{"NonNtFamily", 1, 4, 90, 200, 0, false}),
    [](const ::testing::TestParamInfo<AlphaCase>& info) { return std::string(info.param.name); });

TEST(PlatformId, IsWinNtFollowsTheVersionQuery) {
    static plat::HeadlessBackend backend(nullptr);
    plat::set_backend(&backend);
    backend.set_version(1, 4, 10);
    EXPECT_EQ(IsWinNT(), 0);
    EXPECT_EQ(GetPlatformId(), 1u);
    backend.set_version(2, 4, 0);
    EXPECT_EQ(IsWinNT(), 1);
    EXPECT_NE(LoadSystemUser32(), nullptr);
}

}  // namespace
