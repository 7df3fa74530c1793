#include <cstdio>

#include "platform/internal.h"

namespace plat {

namespace {
Backend* installed = nullptr;
}

Backend& backend() { return *installed; }
void set_backend(Backend* b) { installed = b; }

void report(const std::string& fields) { installed->report(fields); }

std::string json_string(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

}  // namespace plat

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

std::string plat::Backend::session_dir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = runtime && *runtime ? std::string(runtime) + "/dorvane-win32"
                                          : "/tmp/dorvane-win32-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    return dir;
}

std::string plat::Backend::module_file() {
    char host[4096];
    ssize_t n = readlink("/proc/self/exe", host, sizeof host - 1);
    if (n <= 0) return std::string();
    host[n] = 0;
    return to_windows_path(host);
}
