#include "platform/startup.h"

#include "platform/internal.h"

// Kept apart from the rest of the layer, which tests use without a program.
int plat::start_program() {
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
    report("\"ev\":\"exit\",\"code\":" + std::to_string(code));
    return code;
}
