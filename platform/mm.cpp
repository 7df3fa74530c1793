// The multimedia command-string interface. No MCI device is installed yet:
// every command is recorded and answered as the system does without one.
#include "platform/internal.h"

extern "C" MMRESULT WINAPI mciSendStringA(LPCSTR command, LPSTR returnBuffer, UINT returnSize, HWND) {
    plat::report("\"ev\":\"mci\",\"command\":" + plat::json_string(plat::sjis_to_utf8(command ? command : "")));
    if (returnBuffer && returnSize) returnBuffer[0] = 0;
    return 263;  // MCIERR_INVALID_DEVICE_NAME
}
