// Kernel services: error codes, time, named mutexes, modules, directories,
// file search, version, libraries and the printf-style formatter.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "platform/internal.h"

namespace {

DWORD last_error = 0;
UINT error_mode = 0;

struct KernelObject {
    enum Kind { Mutex, Find } kind;
    int fd = -1;
};

// --- file names ---

bool is_separator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string plat::to_host_path(const char* windows_path) {
    std::string path = sjis_to_utf8(windows_path ? windows_path : "");
    if (path.size() >= 2 && path[1] == ':' && std::toupper(static_cast<unsigned char>(path[0])) == 'Z')
        path = path.substr(2);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::string plat::to_windows_path(const std::string& host_path) {
    std::string path = host_path;
    for (char& c : path)
        if (c == '/') c = '\\';
    if (!path.empty() && path[0] == '\\') path = "Z:" + path;
    return utf8_to_sjis(path);
}

namespace {

// Copies `text` with its terminator into a caller's buffer the way the ANSI
// path calls do: the length without terminator, or the size needed with it.
DWORD copy_out(const std::string& text, LPSTR buffer, DWORD size) {
    if (text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

std::string host_cwd() {
    std::vector<char> buf(4096);
    if (!getcwd(buf.data(), buf.size())) return std::string();
    return buf.data();
}

// Windows' case-insensitive wildcard match of a file name (ASCII folding).
bool name_matches(const char* pattern, const char* name) {
    if (*pattern == 0) return *name == 0;
    if (*pattern == '*') return name_matches(pattern + 1, name) || (*name && name_matches(pattern, name + 1));
    if (*name == 0) return false;
    if (*pattern != '?' && std::tolower(static_cast<unsigned char>(*pattern)) !=
                               std::tolower(static_cast<unsigned char>(*name)))
        return false;
    return name_matches(pattern + 1, name + 1);
}

// Looks up a file name (host form, possibly with wildcards in its last part);
// fills the found entry's name and attributes.
bool find_first(const std::string& host, std::string& found, DWORD& attributes, DWORD& size) {
    size_t slash = host.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : host.substr(0, slash));
    std::string pattern = slash == std::string::npos ? host : host.substr(slash + 1);
    if (pattern.empty()) return false;
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    bool ok = false;
    while (dirent* e = readdir(d)) {
        if (!name_matches(pattern.c_str(), e->d_name)) continue;
        struct stat st;
        std::string full = dir + "/" + e->d_name;
        if (stat(full.c_str(), &st) != 0) continue;
        found = e->d_name;
        attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        size = static_cast<DWORD>(st.st_size);
        ok = true;
        break;
    }
    closedir(d);
    return ok;
}

// Built-in libraries: only what the program looks up at run time.
struct Library {
    const char* name;
    int references;
};
Library user32{"USER32.DLL", 0};

}  // namespace

extern "C" {

DWORD WINAPI GetLastError(void) { return last_error; }
void WINAPI SetLastError(DWORD code) { last_error = code; }

DWORD WINAPI GetTickCount(void) { return plat::backend().ticks(); }
void WINAPI Sleep(DWORD milliseconds) { plat::backend().sleep(milliseconds); }

HANDLE WINAPI CreateMutexA(void*, BOOL, LPCSTR name) {
    auto* object = new KernelObject{KernelObject::Mutex};
    SetLastError(ERROR_SUCCESS);
    if (!name) return object;
    // A named mutex is a lock on a file of the session: the lock goes with the
    // holder's process, however that process ends.
    std::string path = plat::backend().session_dir() + "/mutex-" + plat::sjis_to_utf8(name);
    object->fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (object->fd < 0) {
        delete object;
        SetLastError(5);  // ERROR_ACCESS_DENIED
        return nullptr;
    }
    if (flock(object->fd, LOCK_EX | LOCK_NB) != 0) SetLastError(ERROR_ALREADY_EXISTS);
    return object;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    auto* object = static_cast<KernelObject*>(handle);
    if (!object || handle == INVALID_HANDLE_VALUE) return FALSE;
    if (object->fd >= 0) close(object->fd);
    delete object;
    return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    static int program_module;
    if (name) return nullptr;
    return reinterpret_cast<HMODULE>(&program_module);
}

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    std::string path = plat::backend().module_file();
    if (path.empty() || size == 0) return 0;
    // Truncated to the buffer, terminated, as the system does.
    DWORD count = static_cast<DWORD>(path.size() < size ? path.size() : size - 1);
    std::memcpy(buffer, path.data(), count);
    buffer[count] = 0;
    return count;
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR path) {
    if (!path || !*path) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    bool ok = chdir(plat::to_host_path(path).c_str()) == 0;
    plat::report("\"ev\":\"chdir\",\"path\":" + plat::json_string(plat::sjis_to_utf8(path)) +
                 ",\"ok\":" + (ok ? "true" : "false"));
    if (!ok) SetLastError(ERROR_FILE_NOT_FOUND);
    return ok;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    std::string cwd = host_cwd();
    if (cwd.empty()) return 0;
    return copy_out(plat::to_windows_path(cwd), buffer, size);
}

// The folder of the system's libraries; the built-in ones are found from any folder.
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
    return copy_out(plat::to_windows_path("/usr/lib"), buffer, size);
}

BOOL WINAPI GetVersionExA(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(122);  // ERROR_INSUFFICIENT_BUFFER
        return FALSE;
    }
    uint32_t platform, major, minor;
    plat::backend().version(platform, major, minor);
    info->dwPlatformId = platform;
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = 2600;
    info->szCSDVersion[0] = 0;
    return TRUE;
}

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    std::string base = name ? name : "";
    size_t sep = base.find_last_of("\\/");
    if (sep != std::string::npos) base = base.substr(sep + 1);
    if (strcasecmp(base.c_str(), user32.name) == 0 || strcasecmp(base.c_str(), "USER32") == 0) {
        ++user32.references;
        return reinterpret_cast<HMODULE>(&user32);
    }
    SetLastError(126);  // ERROR_MOD_NOT_FOUND
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (module == reinterpret_cast<HMODULE>(&user32) && name && !IS_INTRESOURCE(name) &&
        std::strcmp(name, "SetLayeredWindowAttributes") == 0)
        return reinterpret_cast<FARPROC>(&SetLayeredWindowAttributes);
    SetLastError(127);  // ERROR_PROC_NOT_FOUND
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    if (module != reinterpret_cast<HMODULE>(&user32) || user32.references == 0) return FALSE;
    --user32.references;
    return TRUE;
}

UINT WINAPI SetErrorMode(UINT mode) {
    UINT previous = error_mode;
    error_mode = mode;
    return previous;
}

HANDLE WINAPI FindFirstFileA(LPCSTR name, WIN32_FIND_DATAA* data) {
    std::string found;
    DWORD attributes = 0, size = 0;
    if (!name || !find_first(plat::to_host_path(name), found, attributes, size)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = attributes;
    data->nFileSizeLow = size;
    std::string ansi = plat::utf8_to_sjis(found);
    std::strncpy(data->cFileName, ansi.c_str(), MAX_PATH - 1);
    return new KernelObject{KernelObject::Find};
}

HANDLE WINAPI FindFirstFileW(LPCWSTR name, WIN32_FIND_DATAW* data) {
    if (!name) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    int length = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(length > 0 ? length : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, name, -1, ansi.data(), length, nullptr, nullptr);
    WIN32_FIND_DATAA narrow;
    HANDLE handle = FindFirstFileA(ansi.c_str(), &narrow);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = narrow.dwFileAttributes;
    data->nFileSizeLow = narrow.nFileSizeLow;
    MultiByteToWideChar(CP_ACP, 0, narrow.cFileName, -1, data->cFileName, MAX_PATH);
    return handle;
}

BOOL WINAPI FindClose(HANDLE find) {
    auto* object = static_cast<KernelObject*>(find);
    if (!object || find == INVALID_HANDLE_VALUE || object->kind != KernelObject::Find) return FALSE;
    delete object;
    return TRUE;
}

// The system's formatter: %s %c %d %i %u %x %X %%, flags "-" and "0", width,
// precision for strings, "l" and "h" size prefixes; output limited to 1024
// bytes with the terminator.
int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    const size_t limit = 1023;
    size_t n = 0;
    auto put = [&](char c) {
        if (n < limit) buffer[n++] = c;
    };
    va_list args;
    va_start(args, format);
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            put(*p);
            continue;
        }
        ++p;
        bool left = false, zero = false;
        for (;; ++p) {
            if (*p == '-') left = true;
            else if (*p == '0') zero = true;
            else break;
        }
        int width = 0, precision = -1;
        while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
        if (*p == '.') {
            precision = 0;
            ++p;
            while (*p >= '0' && *p <= '9') precision = precision * 10 + (*p++ - '0');
        }
        if (*p == 'l' || *p == 'h') ++p;
        std::string field;
        switch (*p) {
        case 's': {
            const char* s = va_arg(args, const char*);
            if (!s) s = "(null)";
            size_t length = std::strlen(s);
            if (precision >= 0 && static_cast<size_t>(precision) < length) length = precision;
            field.assign(s, length);
            zero = false;
            break;
        }
        case 'c': field = static_cast<char>(va_arg(args, int)); zero = false; break;
        case 'd':
        case 'i': field = std::to_string(va_arg(args, int)); break;
        case 'u': field = std::to_string(va_arg(args, unsigned)); break;
        case 'x':
        case 'X': {
            char hex[16];
            std::snprintf(hex, sizeof hex, *p == 'x' ? "%x" : "%X", va_arg(args, unsigned));
            field = hex;
            break;
        }
        case 0: --p; break;
        default: field = *p; zero = false; break;
        }
        std::string pad(field.size() < static_cast<size_t>(width) ? width - field.size() : 0, zero ? '0' : ' ');
        if (left) field += std::string(pad.size(), ' ');
        else if (zero && !field.empty() && field[0] == '-') field = "-" + pad + field.substr(1);
        else field = pad + field;
        for (char c : field) put(c);
    }
    va_end(args);
    buffer[n] = 0;
    return static_cast<int>(n);
}

}  // extern "C"
