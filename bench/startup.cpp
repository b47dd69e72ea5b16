// Start-up benchmark: time from exec to the first window mapped, and peak
// RSS, median of N runs of each program given, taken in turns, under the X display of
// $DISPLAY (the run script starts a private Xvfb).
//   startup RUNS PROGRAM [PROGRAM...]
// A PROGRAM may carry one argument after a colon: "barewindow:label".
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run {
    double seconds;
    long peakKiB;
};

bool waitForMap(Display *display, double timeoutSeconds)
{
    const auto deadline = std::chrono::steady_clock::now()
            + std::chrono::duration<double>(timeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect)
                return true;
        }
        usleep(200);
    }
    return false;
}

Run runOnce(Display *display, const std::string &program)
{
    XSync(display, True);
    const auto start = std::chrono::steady_clock::now();
    const size_t colon = program.find(':');
    const std::string path = program.substr(0, colon);
    const std::string argument = colon == std::string::npos ? "" : program.substr(colon + 1);
    const pid_t child = fork();
    if (child == 0) {
        if (argument.empty())
            execl(path.c_str(), path.c_str(), static_cast<char *>(nullptr));
        else
            execl(path.c_str(), path.c_str(), argument.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    const bool mapped = waitForMap(display, 30);
    const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Let start-up settle so the peak includes the first paint.
    usleep(300'000);
    kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!mapped) {
        std::fprintf(stderr, "startup: %s never mapped a window\n", program.c_str());
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss};
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

// The program's folder and name, which tell the runs apart ("words-2/KestovaC100").
std::string shortName(const std::string &path)
{
    const size_t last = path.rfind('/');
    const size_t before = last == std::string::npos || last == 0 ? std::string::npos
                                                                  : path.rfind('/', last - 1);
    return before == std::string::npos ? path : path.substr(before + 1);
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup RUNS PROGRAM...\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup: no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    const int runs = std::atoi(argv[1]);
    const std::vector<std::string> programs(argv + 2, argv + argc);
    // In turns, so that every program meets the machine in the same state.
    std::vector<std::vector<double>> times(programs.size());
    std::vector<std::vector<long>> peaks(programs.size());
    for (const std::string &program : programs)
        runOnce(display, program); // warm the page cache
    for (int i = 0; i < runs; ++i) {
        for (size_t p = 0; p < programs.size(); ++p) {
            const Run run = runOnce(display, programs[p]);
            times[p].push_back(run.seconds);
            peaks[p].push_back(run.peakKiB);
        }
    }
    std::printf("%-40s %14s %14s\n", "program", "start-up (s)", "peak RSS (MiB)");
    for (size_t p = 0; p < programs.size(); ++p)
        std::printf("%-40s %14.4f %14.2f\n", shortName(programs[p]).c_str(), median(times[p]), median(peaks[p]) / 1024.0);
    XCloseDisplay(display);
    return 0;
}
