// Conformance of the layer's windows, messages, timers, painting, GDI and
// composition, written against the Windows API as the program sees it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "tests/support/headless_fixture.h"

namespace {

std::vector<UINT> seen;  // messages a test window received, in order
UINT_PTR last_timer = 0;

LRESULT CALLBACK RecordingProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER || message == WM_PAINT || message == WM_TIMER || message == WM_ERASEBKGND ||
        message == WM_COMMAND)
        seen.push_back(message);
    if (message == WM_TIMER) last_timer = wParam;
    if (message == WM_USER + 9) PostQuitMessage(static_cast<int>(wParam));
    return DefWindowProcA(w, message, wParam, lParam);
}

HWND make_window(const char* cls, DWORD style, DWORD ex_style = 0, int x = 0, int y = 0, int w = 100, int h = 100,
                 HWND owner = nullptr, HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = brush;
    wc.lpszClassName = cls;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    RegisterClassExA(&wc);
    return CreateWindowExA(ex_style, cls, "t", style, x, y, w, h, owner, nullptr, nullptr, nullptr);
}

// Runs the loop until the quit message; returns its code.
int run_loop() {
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return static_cast<int>(m.wParam);
}

uint32_t screen_pixel(int x, int y) {
    plat::Pixmap screen;
    plat::compose_screen(screen);
    return screen.row(y)[x];
}

TEST(MessageQueue, PostedBeforePaintBeforeTimerAndQuitCarriesItsCode) {
    HWND w = make_window("OrderWindow", WS_POPUP);
    ShowWindow(w, SW_SHOWNORMAL);  // leaves a pending paint
    SetTimer(w, 7, 10, nullptr);
    PostMessageA(w, WM_USER + 1, 0, 0);
    EXPECT_EQ(SendMessageA(w, WM_USER + 2, 0, 0), 0);  // a direct call, before anything queued
    seen.clear();
    PostMessageA(w, WM_USER + 9, 42, 0);
    EXPECT_EQ(run_loop(), 42);
    // The message posted first is retrieved first; the quit posted while handling it comes before paint and timer.
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(seen[1], static_cast<UINT>(WM_USER + 9));
    KillTimer(w, 7);
    DestroyWindow(w);
}

TEST(Timers, TheSameIdReplacesAndTicksComeEveryInterval) {
    HWND w = make_window("TimerWindow", WS_POPUP);
    std::vector<uint32_t> times;
    static std::vector<uint32_t>* sink;
    sink = &times;
    auto proc = [](HWND, UINT, UINT_PTR, DWORD) {
        sink->push_back(GetTickCount());
        if (sink->size() == 4) PostQuitMessage(0);
    };
    SetTimer(w, 1, 100, nullptr);
    EXPECT_TRUE(KillTimer(w, 1));
    EXPECT_FALSE(KillTimer(w, 1));
    EXPECT_EQ(SetTimer(w, 3, 500, proc), 3u);
    EXPECT_EQ(SetTimer(w, 3, 30, proc), 3u);  // the same id replaces the timer and its interval
    uint32_t start = GetTickCount();
    run_loop();
    KillTimer(w, 3);
    ASSERT_EQ(times.size(), 4u);
    for (size_t i = 0; i < times.size(); ++i) EXPECT_EQ(times[i] - start, 30u * (i + 1));
    DestroyWindow(w);
}

TEST(Painting, EraseFillsWithTheClassBrushAndBeginPaintValidates) {
    HWND w = make_window("PaintWindow", WS_POPUP, 0, 10, 10, 40, 30, nullptr, CreateSolidBrush(RGB(0, 0, 200)));
    ShowWindow(w, SW_SHOWNORMAL);
    seen.clear();
    UpdateWindow(w);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(screen_pixel(20, 20), 0x0000C8u);
    seen.clear();
    UpdateWindow(w);  // nothing left to paint
    EXPECT_TRUE(seen.empty());
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_PAINT}));  // no erase asked, none done
    DestroyWindow(w);
}

TEST(Gdi, RasterOperationsRectangleAndStretch) {
    HDC screen = GetDC(nullptr);
    HDC a = CreateCompatibleDC(screen), b = CreateCompatibleDC(screen);
    HBITMAP ba = CreateCompatibleBitmap(screen, 8, 8), bb = CreateCompatibleBitmap(screen, 8, 8);
    SelectObject(a, ba);
    SelectObject(b, bb);
    SelectObject(a, CreateSolidBrush(RGB(0, 255, 0)));
    Rectangle(a, 0, 0, 8, 8);
    EXPECT_EQ(GetPixel(a, 0, 0), RGB(0, 0, 0));  // the default pen: black outline
    EXPECT_EQ(GetPixel(a, 7, 3), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(a, 3, 3), RGB(0, 255, 0));
    SelectObject(b, CreateSolidBrush(RGB(255, 0, 0)));
    SelectObject(b, GetStockObject(NULL_PEN));
    Rectangle(b, 0, 0, 8, 8);
    BitBlt(a, 2, 2, 4, 4, b, 0, 0, SRCPAINT);
    EXPECT_EQ(GetPixel(a, 3, 3), RGB(255, 255, 0));  // OR of green and red
    EXPECT_EQ(GetPixel(a, 1, 1), RGB(0, 255, 0));
    BitBlt(a, 6, 0, 4, 4, b, 6, 0, SRCCOPY);  // the source ends at 8: nothing beyond it is copied
    EXPECT_EQ(GetPixel(a, 7, 1), RGB(255, 0, 0));
    BitBlt(a, 0, 0, 2, 2, nullptr, 0, 0, BLACKNESS);
    EXPECT_EQ(GetPixel(a, 1, 1), RGB(0, 0, 0));
    // Each source pixel becomes a block; an empty source band draws nothing.
    HBITMAP small = CreateCompatibleBitmap(screen, 2, 1);
    SelectObject(b, small);
    plat::dc_target(b)->row(0)[0] = 0x112233;
    plat::dc_target(b)->row(0)[1] = 0x445566;
    StretchBlt(a, 0, 0, 8, 8, b, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(GetPixel(a, 3, 7), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(GetPixel(a, 4, 0), RGB(0x44, 0x55, 0x66));
    BitBlt(a, 0, 0, 8, 8, nullptr, 0, 0, BLACKNESS);
    StretchBlt(a, 0, 0, 8, 8, b, 0, 0, 2, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(a, 4, 4), RGB(0, 0, 0));
    DeleteDC(a);
    DeleteDC(b);
    ReleaseDC(nullptr, screen);
}

TEST(Composition, ZOrderBandsOwnershipRegionsAndAlpha) {
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    HWND stage = make_window("StageWindow", WS_POPUP, WS_EX_TOPMOST, 0, 0, 200, 200);
    HWND plain = make_window("PlainWindow", WS_POPUP, 0, 0, 0, 50, 50, nullptr, white);
    ShowWindow(stage, SW_SHOWNORMAL);
    ShowWindow(plain, SW_SHOWNORMAL);  // shown later, yet below the topmost stage
    UpdateWindow(stage);
    UpdateWindow(plain);
    EXPECT_EQ(screen_pixel(10, 10), 0u);
    HWND owned = make_window("OwnedWindow", WS_POPUP, 0, 60, 60, 40, 40, stage, white);
    ShowWindow(owned, SW_SHOWNORMAL);
    UpdateWindow(owned);
    EXPECT_EQ(screen_pixel(70, 70), 0xFFFFFFu);  // owned by a topmost window: above it
    SetWindowRgn(owned, CreateRectRgn(0, 0, 10, 40), FALSE);
    EXPECT_EQ(screen_pixel(75, 70), 0u);  // outside its region the stage shows
    EXPECT_EQ(screen_pixel(65, 70), 0xFFFFFFu);
    SetWindowLongA(owned, GWL_EXSTYLE, GetWindowLongA(owned, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(owned, 0, 200, LWA_ALPHA);
    EXPECT_EQ(screen_pixel(65, 70), 0xC8C8C8u);  // white at 200 over black
    SetWindowLongA(owned, GWL_EXSTYLE, GetWindowLongA(owned, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    EXPECT_EQ(screen_pixel(65, 70), 0xFFFFFFu);
    ShowWindow(owned, SW_HIDE);
    EXPECT_EQ(screen_pixel(65, 70), 0u);
    DestroyWindow(owned);
    DestroyWindow(plain);
    DestroyWindow(stage);
}

TEST(Controls, ClickingAButtonSendsItsCommandToTheParent) {
    HWND w = make_window("ButtonParent", WS_POPUP | WS_BORDER, 0, 300, 300, 200, 100);
    HWND b = CreateWindowExA(0, "Button", "Go", WS_CHILD | WS_VISIBLE | BS_FLAT, 10, 10, 80, 26, w,
                             reinterpret_cast<HMENU>(104), nullptr, nullptr);
    ShowWindow(w, SW_SHOWNORMAL);
    int x, y;
    ASSERT_TRUE(plat::find_control("Go", x, y));
    EXPECT_EQ(x, 300 + 1 + 10 + 40);  // the parent's one-pixel border, then the button's centre
    plat::InputEvent e;
    e.x = x, e.y = y;
    for (auto kind : {plat::InputEvent::MouseDown, plat::InputEvent::MouseUp}) {
        e.kind = kind;
        test_backend().inject(e);
    }
    seen.clear();
    PostMessageA(w, WM_USER + 3, 0, 0);
    SetTimer(w, 1, 100, nullptr);
    static HWND parent;
    parent = w;
    SetTimer(w, 2, 200, [](HWND, UINT, UINT_PTR, DWORD) { PostMessageA(parent, WM_USER + 9, 0, 0); });
    run_loop();
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_COMMAND)), seen.end());
    DestroyWindow(b);
    DestroyWindow(w);
}

TEST(MessageBox, TimersGoOnUnderTheBoxAndItsAnswerIsTheButton) {
    HWND w = make_window("BoxOwner", WS_POPUP, 0, 0, 0, 300, 300);
    ShowWindow(w, SW_SHOWNORMAL);
    static int ticks;
    ticks = 0;
    SetTimer(w, 5, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (++ticks == 5) {
            int x, y;
            if (plat::find_control("いいえ", x, y)) {
                plat::InputEvent e;
                e.x = x, e.y = y;
                e.kind = plat::InputEvent::MouseDown;
                test_backend().inject(e);
                e.kind = plat::InputEvent::MouseUp;
                test_backend().inject(e);
            }
        }
    });
    std::string text = plat::utf8_to_sjis("終了したいですか？");
    int answer = MessageBoxA(w, text.c_str(), "q", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(answer, IDNO);
    EXPECT_GE(ticks, 5);
    EXPECT_TRUE(IsWindowEnabled(w));  // the owner is enabled again
    KillTimer(w, 5);
    DestroyWindow(w);
}

TEST(Mutex, ANamedMutexIsHeldAcrossProcessesUntilItsHolderDies) {
    std::string name = "LayerTestMutex" + std::to_string(getpid());
    test_backend().session_dir();  // both processes share the session chosen before they part
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        CreateMutexA(nullptr, TRUE, name.c_str());
        char c = GetLastError() == ERROR_SUCCESS ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    HANDLE second = CreateMutexA(nullptr, TRUE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(second);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    HANDLE third = CreateMutexA(nullptr, TRUE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(third);
}

TEST(Kernel, FormatterStopsAt1024BytesAndVersionIsQueriedBySize) {
    std::string name(2000, 'x');
    char out[1100];
    int n = wsprintfA(out, "%s!%d", name.c_str(), -12);
    EXPECT_EQ(n, 1023);
    EXPECT_EQ(std::string(out).size(), 1023u);
    EXPECT_EQ(wsprintfA(out, "[%s|%d|%5d|%-3d|%03d]", "a", -7, 42, 1, 7), 20);
    EXPECT_STREQ(out, "[a|-7|   42|1  |007]");
    OSVERSIONINFOA info{};
    EXPECT_FALSE(GetVersionExA(&info));  // size not set
    info.dwOSVersionInfoSize = sizeof info;
    EXPECT_EQ(sizeof info, 148u);
    EXPECT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, 2u);
}

}  // namespace
