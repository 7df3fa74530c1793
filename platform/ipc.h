// Windows of other processes: FindWindowA sees the top-level windows of every
// program of the session, and a few calls reach them.
#pragma once

#include "platform/internal.h"

namespace plat {

enum IpcRequest { IpcIsIconic = 1, IpcShowWindow, IpcSetForeground, IpcInvalidate, IpcLastActivePopup };

// Starts answering other processes' requests (once a window exists).
void ipc_listen();
// Runs the requests that arrived since the last call; on the thread of the windows.
void ipc_serve();
HWND ipc_find_window(const char* class_name, const char* title);
HWND ipc_last_active_popup(HWND remote);
// The call's result as the owning process returned it; 0 when it cannot be reached.
int ipc_call(HWND remote, IpcRequest request, int argument);

}  // namespace plat
