// The desktop executable: the program on the SDL backend.
#include <cstdio>
#include <string>

#include "platform/backend/sdl/sdl_backend.h"

#if __has_include("platform/startup.h")
#include "platform/startup.h"
#else
namespace plat {
int start_program();
}
#endif

int main() {
    std::string error;
    // Never deleted: the layer's static objects may still call the backend while
    // the process exits; SDL itself is shut down by the backend's exit handler.
    plat::SdlBackend* backend = plat::SdlBackend::open(error).release();
    if (!backend) {
        std::fprintf(stderr, "Dorvane 3D: cannot open the display: %s\n", error.c_str());
        std::fprintf(stderr, "Dorvane 3D: ディスプレイを開けません (%s)。X11 か Wayland のデスクトップで起動してください。\n",
                     error.c_str());
        return 1;
    }
    plat::set_backend(backend);
    return plat::start_program();
}
