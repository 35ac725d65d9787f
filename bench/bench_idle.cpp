// Idle cost: an initialised, started GUI left alone for 10 s while the host's loop waits in
// ZuGetMessage, measured as CPU time of the whole process and wake-ups of every thread of
// it (a thread of the bench's own watches and ends the wait), beside the render loop that
// polls both request events every 2 ms, run in the same process for the same time.
#include <dirent.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "gui/gui_state.h"
#include "zugui/zugui.h"

namespace {

namespace ws = zu::ws;

double cpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Voluntary plus involuntary context switches of one thread: each is a wake-up.
long switchesOf(long tid) {
    std::ifstream f("/proc/self/task/" + std::to_string(tid) + "/status");
    long total = 0;
    for (std::string line; std::getline(f, line);)
        if (line.find("ctxt_switches:") != std::string::npos)
            total += std::stol(line.substr(line.find(':') + 1));
    return total;
}

void pumpFor(int msTotal) {
    ZuMSG m;
    const int64_t end = ws::performanceCounter() + int64_t{msTotal} * 1'000'000;
    for (int64_t now; (now = ws::performanceCounter()) < end;)
        if (ws::getMessageTimeout(&m, static_cast<int>((end - now) / 1'000'000) + 1) == 1)
            ZuDispatchMessage(&m);
}

// Wake-ups of every thread of the process but the caller, by id.
std::map<long, long> wakeups() {
    std::map<long, long> out;
    const long self = gettid();
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            const long tid = std::stol(e->d_name);
            if (tid != self) out[tid] = switchesOf(tid);
        }
        closedir(d);
    }
    return out;
}

std::atomic<bool> idleOver{false};
int rootCallback(void*, unsigned msg, int, int, void*, void*) {
    if (msg == ZUM_CLICKED) idleOver.store(true);
    return 0;
}

// CPU ticks (utime + stime) of every thread, by id, with its name.
struct ThreadCpu {
    std::string name;
    long ticks;
};
std::map<long, ThreadCpu> threadTicks() {
    std::map<long, ThreadCpu> out;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            const std::string base = std::string("/proc/self/task/") + e->d_name;
            std::ifstream stat(base + "/stat"), comm(base + "/comm");
            std::string line, name;
            std::getline(stat, line);
            std::getline(comm, name);
            // Fields after the parenthesised name: state is field 3, utime 14, stime 15.
            std::istringstream rest(line.substr(line.rfind(')') + 2));
            std::string field;
            long utime = 0, stime = 0;
            for (int i = 3; i <= 15 && rest >> field; ++i) {
                if (i == 14) utime = std::stol(field);
                if (i == 15) stime = std::stol(field);
            }
            out[std::stol(e->d_name)] = {name, utime + stime};
        }
        closedir(d);
    }
    return out;
}

std::atomic<bool> stopPeer{false};
std::atomic<unsigned long> peerTid{0};
void* peerRequests[2];

int pollingLoop(void*) {
    while (!stopPeer.load(std::memory_order_acquire)) {
        if (ZuWaitForEvent(peerRequests[0], 0) == 0) continue;
        if (ZuWaitForEvent(peerRequests[1], 0) == 0) continue;
        ZuSleep(2);
    }
    return 0;
}

}  // namespace

int main() {
    constexpr int kSeconds = 10;
    if (ZUInitGUI(0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr, 0) != 0) {
        std::fprintf(stderr, "bench_idle: no display\n");
        return 1;
    }
    ZuRECT full{0, 0, 320, 240};
    ZUWindowNode* root = ZUCreateWindow(nullptr, 0, 1, &full, nullptr, nullptr, rootCallback);
    ZUStartGUI();
    pumpFor(500);  // mapping, exposure and their renders
    const unsigned long renderTid = zu::detail::gui().threadId;
    // The watcher sleeps through the idle time, reading every other thread's count before
    // and after, then posts the message that ends the host's wait.
    std::map<long, long> wake0, wake1;
    std::thread watcher([&] {
        wake0 = wakeups();
        std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
        wake1 = wakeups();
        ZUPostMessage(root, ZUM_CLICKED, 0, 0, nullptr, nullptr);
    });
    const double cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto ticks0 = threadTicks();
    ZuMSG m;
    while (!idleOver.load() && ZuGetMessage(&m) == 1) ZuDispatchMessage(&m);
    watcher.join();
    const auto ticks1 = threadTicks();
    const double zuCpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    long zuWakes = 0;
    std::map<long, long> woke;  // threads that woke, and how often
    for (auto& [tid, n] : wake1) {
        const long d = n - (wake0.count(tid) ? wake0.at(tid) : 0);
        if (d > 0) woke[tid] = d;
        zuWakes += d;
    }
    // The watcher read the counts before its message ended the wait, so that wake-up of
    // the main thread is not among them.
    ZUStopGUI();
    ZUKillGUI();
    ZUDestroyWindow(root);

    // The peer: the polling loop alone, on a thread of the same kind.
    peerRequests[0] = ZuCreateEvent(0, 0, nullptr);
    peerRequests[1] = ZuCreateEvent(0, 0, nullptr);
    unsigned long tid = 0;
    const double pcpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    void* peer = ZuCreateThread(pollingLoop, nullptr, 0, 1, 1, &tid);
    ZuSleep(50);
    const long pwake0 = switchesOf(tid);
    ZuSleep(kSeconds * 1000 - 50);
    const long peerWakes = switchesOf(tid) - pwake0;
    stopPeer.store(true, std::memory_order_release);
    ZuWaitForEvent(peer, 1000);
    const double peerCpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - pcpu0;
    ZuCloseThread(peer);
    ZuCloseEvent(peerRequests[0]);
    ZuCloseEvent(peerRequests[1]);

    const double zuPct = zuCpu / kSeconds * 100, peerPct = peerCpu / kSeconds * 100;
    std::printf("bench_idle (%d s each)\n", kSeconds);
    std::printf(
        "  zugui idle GUI (whole process): CPU %.4f s = %.3f %% of a core, wake-ups of all "
        "threads %ld\n",
        zuCpu, zuPct, zuWakes);
    const double tick = 1.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    for (auto& [tid, t] : ticks1) {
        const long before = ticks0.count(tid) ? ticks0.at(tid).ticks : 0;
        const long w = woke.count(tid) ? woke.at(tid) : 0;
        if (t.ticks > before || w > 0)
            std::printf("    thread %ld (%s%s): %.2f s, %ld wake-ups\n", tid, t.name.c_str(),
                        static_cast<unsigned long>(tid) == renderTid ? ", render"
                        : tid == getpid()                            ? ", main"
                                                                     : ", other",
                        (t.ticks - before) * tick, w);
    }
    std::printf("  peer: 2 ms polling loop:        CPU %.4f s = %.3f %% of a core, wake-ups %ld\n",
                peerCpu, peerPct, peerWakes);
    std::printf(
        "  CPU ratio zugui / peer: %.3f; target under 0.1 %% and 0 wake-ups: %s\n",
        peerCpu > 0 ? zuCpu / peerCpu : 0.0, zuPct < 0.1 && zuWakes == 0 ? "met" : "missed");
    return 0;
}
