// dorvan3d-headless: runs the program on the headless backend from a script
// (a file, or standard input with "-" or no argument) and reports what it did,
// one JSON object a line, on standard output or into --report FILE.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/backend/headless/headless_backend.h"
#include "platform/internal.h"
#include "platform/startup.h"

// The program's calloc, wrapped at link time, so that a script can make the
// next allocation fail ("fail-calloc").
extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __wrap_calloc(size_t count, size_t size) {
    if (plat::failing_callocs > 0) {
        --plat::failing_callocs;
        plat::report("\"ev\":\"calloc-failed\",\"size\":" + std::to_string(count * size));
        return nullptr;
    }
    return __real_calloc(count, size);
}

int main(int argc, char** argv) {
    const char* script_path = "-";
    const char* report_path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--report") == 0 && i + 1 < argc) report_path = argv[++i];
        else if (std::strcmp(argv[i], "--help") == 0) {
            std::puts("usage: dorvan3d-headless [SCRIPT|-] [--report FILE]  (see docs/headless-runner.md)");
            return 0;
        } else script_path = argv[i];
    }
    std::stringstream script;
    if (std::strcmp(script_path, "-") == 0) {
        script << std::cin.rdbuf();
    } else {
        std::ifstream in(script_path);
        if (!in) {
            std::fprintf(stderr, "dorvan3d-headless: cannot read %s\n", script_path);
            return 125;
        }
        script << in.rdbuf();
    }
    FILE* report = report_path ? std::fopen(report_path, "w") : stdout;
    if (!report) {
        std::fprintf(stderr, "dorvan3d-headless: cannot write %s\n", report_path);
        return 125;
    }
    static plat::HeadlessBackend backend(report);
    std::string error;
    if (!backend.load_script(script.str(), error)) {
        std::fprintf(stderr, "dorvan3d-headless: %s\n", error.c_str());
        return 125;
    }
    plat::set_backend(&backend);
    int code = plat::start_program();
    std::fflush(report);
    return code;
}
