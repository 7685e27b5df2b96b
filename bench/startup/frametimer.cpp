// Launches a program and reports, from the X server's own events, how long it took to put its
// first frame on the screen, and how much resident memory it holds once shown.
//
//   tolvy-frametimer [--settle MS] [--timeout S] -- program [arguments...]
//
// One line on standard output: map_ms and frame_ms (from just before exec), cpu_ms and runq_ms
// (the program's time on a CPU and waiting for one, up to the frame), the process's VmRSS,
// RssAnon and RssFile in KiB after the settling time, and the first damaged area. The program
// is then ended with SIGTERM. Meant for a private X server where nothing else runs.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

namespace {

int childSignal[2] = {-1, -1};

void onChildSignal(int)
{
    const int saved = errno;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(childSignal[1], &byte, 1);
    errno = saved;
}

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

[[noreturn]] void fail(const std::string& message)
{
    std::fprintf(stderr, "tolvy-frametimer: %s\n", message.c_str());
    std::exit(2);
}

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, Free>;

struct Memory {
    long rss = -1;
    long anon = -1;
    long file = -1;
};

Memory residentMemory(pid_t pid)
{
    Memory memory;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        const auto value = [&line](const char* key, long& into) {
            if (line.starts_with(key))
                into = std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
        };
        value("VmRSS:", memory.rss);
        value("RssAnon:", memory.anon);
        value("RssFile:", memory.file);
    }
    return memory;
}

// Time on a CPU and time waiting for one, over all threads of the process so far: the first is
// what the start-up costs, whatever else the machine is doing; the second is that noise.
struct Cpu {
    double runMs = 0;
    double waitMs = 0;
};

Cpu cpuTime(pid_t pid)
{
    Cpu cpu;
    std::error_code error;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double runNs = 0;
        double waitNs = 0;
        if (schedstat >> runNs >> waitNs) {
            cpu.runMs += runNs / 1e6;
            cpu.waitMs += waitNs / 1e6;
        }
    }
    return cpu;
}

// Waits up to timeoutMs for the child to end; true when it has been reaped.
bool reap(pid_t pid, int timeoutMs)
{
    const double deadline = nowMs() + timeoutMs;
    while (true) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return true;
        const double left = deadline - nowMs();
        if (left <= 0)
            return false;
        pollfd fd{childSignal[0], POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left) + 1) > 0) {
            char drain[64];
            [[maybe_unused]] const ssize_t drained = read(childSignal[0], drain, sizeof drain);
        }
    }
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    if (!reap(pid, 5000)) {
        kill(pid, SIGKILL);
        reap(pid, 5000);
    }
}

class Timer {
public:
    Timer(int settleMs, int timeoutS) : settleMs(settleMs), timeoutS(timeoutS) {}

    int run(char** command)
    {
        connectToServer();
        launch(command);
        waitForFrame();
        // Both programs get the same time to finish what follows their first frame.
        timespec settle{settleMs / 1000, static_cast<long>(settleMs % 1000) * 1000000L};
        while (nanosleep(&settle, &settle) != 0 && errno == EINTR) {
        }
        if (waitpid(child, nullptr, WNOHANG) == child)
            fail("the program ended right after its first frame");
        const Memory memory = residentMemory(child);
        stop(child);
        std::printf("map_ms=%.3f frame_ms=%.3f cpu_ms=%.3f runq_ms=%.3f rss_kib=%ld rss_anon_kib=%ld "
                    "rss_file_kib=%ld damage=%ux%u+%d+%d window=0x%x\n",
                    mapMs, frameMs, cpuAtFrame.runMs, cpuAtFrame.waitMs, memory.rss, memory.anon, memory.file,
                    damaged.width, damaged.height, damaged.x, damaged.y, target);
        xcb_disconnect(connection);
        return 0;
    }

private:
    void connectToServer()
    {
        int screenNumber = 0;
        connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(connection))
            fail("cannot connect to the X server (is DISPLAY set?)");
        // The program must not inherit our connection.
        fcntl(xcb_get_file_descriptor(connection), F_SETFD, FD_CLOEXEC);
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
            xcb_screen_next(&screens);
        root = screens.data->root;

        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection, &xcb_damage_id);
        if (!damage || !damage->present)
            fail("the X server has no DAMAGE extension");
        damageNotify = damage->first_event + XCB_DAMAGE_NOTIFY;
        Reply<xcb_damage_query_version_reply_t> version(
            xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1), nullptr));
        if (!version)
            fail("the DAMAGE extension did not answer");

        const char* name = "_NET_WM_PID";
        Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr));
        if (!atom)
            fail("cannot intern _NET_WM_PID");
        pidAtom = atom->atom;

        // Creation and mapping of every top-level window reach us from here on.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        // A round trip: the selection is in force before the program starts.
        Reply<xcb_get_input_focus_reply_t> sync(
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

    void launch(char** command)
    {
        if (pipe2(childSignal, O_CLOEXEC | O_NONBLOCK) != 0)
            fail("pipe2 failed");
        struct sigaction action {};
        action.sa_handler = onChildSignal;
        action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
        sigaction(SIGCHLD, &action, nullptr);

        // The child notes its own time just before exec, where the launch proper begins.
        auto* start = static_cast<double*>(
            mmap(nullptr, sizeof(double), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
        if (start == MAP_FAILED)
            fail("mmap failed");
        int execReport[2];
        if (pipe2(execReport, O_CLOEXEC) != 0)
            fail("pipe2 failed");

        child = fork();
        if (child < 0)
            fail("fork failed");
        if (child == 0) {
            close(execReport[0]);
            *start = nowMs();
            execvp(command[0], command);
            const int error = errno;
            [[maybe_unused]] const ssize_t written = write(execReport[1], &error, sizeof error);
            _exit(127);
        }
        close(execReport[1]);
        int error = 0;
        const ssize_t got = read(execReport[0], &error, sizeof error);
        close(execReport[0]);
        if (got == static_cast<ssize_t>(sizeof error)) {
            reap(child, 1000);
            fail(std::string("cannot start ") + command[0] + ": " + std::strerror(error));
        }
        launchedAt = *start;
        munmap(start, sizeof(double));
    }

    bool ownedByChild(xcb_window_t window)
    {
        Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (!property || xcb_get_property_value_length(property.get()) != 4)
            return false;
        return *static_cast<const uint32_t*>(xcb_get_property_value(property.get())) ==
               static_cast<uint32_t>(child);
    }

    // A damage object on every new top-level window, from its creation: the program may draw its
    // first frame before a request sent after the map could reach the server.
    void watch(xcb_window_t window)
    {
        if (damages.count(window))
            return;
        const xcb_damage_damage_t damage = xcb_generate_id(connection);
        xcb_damage_create(connection, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        damages.emplace(window, damage);
    }

    void handle(const xcb_generic_event_t* event)
    {
        const uint8_t type = event->response_type & 0x7f;
        if (type == 0)
            return; // a window that vanished before we could watch it
        if (type == XCB_CREATE_NOTIFY) {
            watch(reinterpret_cast<const xcb_create_notify_event_t*>(event)->window);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            // The first ordinary top-level window of the program; menus and tooltips bypass the
            // window manager and are not it.
            if (target == XCB_NONE && !map->override_redirect && ownedByChild(map->window)) {
                target = map->window;
                mapMs = nowMs() - launchedAt;
                watch(target);
            }
        } else if (type == damageNotify) {
            const auto* notify = reinterpret_cast<const xcb_damage_notify_event_t*>(event);
            if (target != XCB_NONE && notify->drawable == target && frameMs < 0) {
                frameMs = nowMs() - launchedAt;
                damaged = notify->area;
                cpuAtFrame = cpuTime(child);
            }
        }
    }

    void waitForFrame()
    {
        const double deadline = nowMs() + timeoutS * 1000.0;
        const int fd = xcb_get_file_descriptor(connection);
        while (frameMs < 0) {
            xcb_flush(connection);
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                handle(event);
                std::free(event);
            }
            if (xcb_connection_has_error(connection))
                fail("lost the connection to the X server");
            if (frameMs >= 0)
                break;
            xcb_flush(connection);
            const double left = deadline - nowMs();
            if (left <= 0) {
                stop(child);
                fail("no frame within " + std::to_string(timeoutS) + " s");
            }
            pollfd fds[2] = {{fd, POLLIN, 0}, {childSignal[0], POLLIN, 0}};
            if (poll(fds, 2, static_cast<int>(left) + 1) < 0 && errno != EINTR)
                fail("poll failed");
            if (fds[1].revents & POLLIN) {
                char drain[64];
                [[maybe_unused]] const ssize_t drained = read(childSignal[0], drain, sizeof drain);
                int status = 0;
                if (waitpid(child, &status, WNOHANG) == child)
                    fail("the program ended before its first frame (status " + std::to_string(status) + ")");
            }
        }
    }

    int settleMs;
    int timeoutS;
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = XCB_NONE;
    xcb_atom_t pidAtom = XCB_NONE;
    uint8_t damageNotify = 0;
    pid_t child = -1;
    double launchedAt = 0;
    xcb_window_t target = XCB_NONE;
    double mapMs = -1;
    double frameMs = -1;
    xcb_rectangle_t damaged{};
    Cpu cpuAtFrame;
    std::map<xcb_window_t, xcb_damage_damage_t> damages;
};

} // namespace

int main(int argc, char** argv)
{
    int settleMs = 300;
    int timeoutS = 30;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "--settle" && i + 1 < argc)
            settleMs = std::atoi(argv[++i]);
        else if (arg == "--timeout" && i + 1 < argc)
            timeoutS = std::atoi(argv[++i]);
        else
            fail("usage: tolvy-frametimer [--settle MS] [--timeout S] -- program [arguments...]");
    }
    if (i >= argc)
        fail("usage: tolvy-frametimer [--settle MS] [--timeout S] -- program [arguments...]");
    return Timer(settleMs, timeoutS).run(argv + i);
}
