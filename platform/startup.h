// Start-up of a program on the layer, called by each backend's main().
#pragma once

namespace plat {

// Runs the program's WinMain on the installed backend and returns its exit code.
int start_program();

}  // namespace plat
