// Other processes' windows. Each process with windows answers on a socket of
// the session folder; requests are run on the windows' own thread.
#include "platform/ipc.h"

#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <sstream>
#include <thread>

namespace plat {

namespace {

struct Pending {
    std::string request;
    std::string reply;
    bool answered = false;
};

std::mutex lock;
std::condition_variable answered;
std::deque<Pending*> queue;
bool listening = false;

std::string socket_path(int pid) { return backend().session_dir() + "/win-" + std::to_string(pid) + ".sock"; }

HWND local_by_serial(uint64_t serial) {
    for (HWND w : z_order())
        if (w->serial == serial) return w;
    return nullptr;
}

std::string run_request(const std::string& request) {
    std::istringstream in(request);
    std::string verb;
    in >> verb;
    if (verb == "FIND") {
        std::string cls;
        std::getline(in >> std::ws, cls);
        for (HWND w : z_order())
            if (strcasecmp(class_name(w).c_str(), cls.c_str()) == 0) return std::to_string(w->serial);
        return "0";
    }
    uint64_t serial = 0;
    int argument = 0;
    in >> serial >> argument;
    HWND w = local_by_serial(serial);
    if (!w) return "0";
    report("\"ev\":\"remote\",\"request\":" + json_string(verb) + "," + describe(w));
    if (verb == "ICONIC") return std::to_string(IsIconic(w));
    if (verb == "SHOW") return std::to_string(ShowWindow(w, argument));
    if (verb == "FOREGROUND") return std::to_string(SetForegroundWindow(w));
    if (verb == "INVALIDATE") return std::to_string(InvalidateRect(w, nullptr, argument));
    if (verb == "POPUP") return std::to_string(GetLastActivePopup(w)->serial);
    return "0";
}

void serve_connection(int fd) {
    char buf[512];
    ssize_t n = read(fd, buf, sizeof buf - 1);
    if (n > 0) {
        Pending p;
        p.request.assign(buf, n);
        {
            std::unique_lock<std::mutex> guard(lock);
            queue.push_back(&p);
        }
        backend().wake();
        std::unique_lock<std::mutex> guard(lock);
        answered.wait_for(guard, std::chrono::seconds(5), [&] { return p.answered; });
        if (!p.answered) {
            // Nobody ran it: take it back before it goes out of scope.
            for (auto it = queue.begin(); it != queue.end(); ++it)
                if (*it == &p) {
                    queue.erase(it);
                    break;
                }
        }
        std::string reply = p.answered ? p.reply : "0";
        guard.unlock();
        ssize_t written = write(fd, reply.data(), reply.size());
        (void)written;
    }
    close(fd);
}

// One request to one process; empty when it cannot be reached.
std::string ask(int pid, const std::string& request) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::string();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = socket_path(pid);
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        if (errno == ECONNREFUSED) unlink(path.c_str());  // its process has gone
        return std::string();
    }
    std::string reply;
    if (write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
        shutdown(fd, SHUT_WR);
        pollfd p{fd, POLLIN, 0};
        char buf[64];
        while (poll(&p, 1, 6000) > 0) {
            ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) break;
            reply.append(buf, n);
        }
    }
    close(fd);
    return reply;
}

HWND remote_handle(int pid, uint64_t serial) {
    HWND w = new HWND__;
    w->remote = true;
    w->remote_pid = pid;
    w->serial = serial;
    return w;
}

}  // namespace

void ipc_listen() {
    if (listening) return;
    listening = true;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = socket_path(getpid());
    unlink(path.c_str());
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return;
    }
    std::thread([fd] {
        for (;;) {
            int c = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (c >= 0) std::thread(serve_connection, c).detach();
        }
    }).detach();
}

void ipc_serve() {
    std::unique_lock<std::mutex> guard(lock);
    while (!queue.empty()) {
        Pending* p = queue.front();
        queue.pop_front();
        guard.unlock();
        std::string reply = run_request(p->request);
        guard.lock();
        p->reply = reply;
        p->answered = true;
    }
    answered.notify_all();
}

HWND ipc_find_window(const char* class_name, const char* title) {
    if (!class_name || title) return nullptr;
    DIR* d = opendir(backend().session_dir().c_str());
    if (!d) return nullptr;
    HWND found = nullptr;
    while (dirent* e = readdir(d)) {
        int pid = 0;
        if (std::sscanf(e->d_name, "win-%d.sock", &pid) != 1 || pid == getpid()) continue;
        std::string reply = ask(pid, std::string("FIND ") + class_name);
        uint64_t serial = std::strtoull(reply.c_str(), nullptr, 10);
        if (serial) {
            found = remote_handle(pid, serial);
            break;
        }
    }
    closedir(d);
    return found;
}

HWND ipc_last_active_popup(HWND remote) {
    uint64_t serial = std::strtoull(ask(remote->remote_pid, "POPUP " + std::to_string(remote->serial)).c_str(),
                                    nullptr, 10);
    return serial ? remote_handle(remote->remote_pid, serial) : nullptr;
}

int ipc_call(HWND remote, IpcRequest request, int argument) {
    static const char* verbs[] = {"", "ICONIC", "SHOW", "FOREGROUND", "INVALIDATE", "POPUP"};
    std::string reply = ask(remote->remote_pid, std::string(verbs[request]) + " " + std::to_string(remote->serial) +
                                                    " " + std::to_string(argument));
    return std::atoi(reply.c_str());
}

}  // namespace plat
