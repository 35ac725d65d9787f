// The GUI embedded (mode 2) in the window of a real SDL2 and a real GTK3 program, each run
// as its own process and driven from here with XTest: one driver and one set of checks
// for both toolkits.
#include <gtest/gtest.h>
// X headers after gtest: they define None.
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "hosts/embed_page.h"
#include "support/winsys_support.h"

extern char** environ;

using namespace zu::test;
using namespace embed_host;

namespace {

struct Toolkit {
    const char* name;
    const char* program;
};

const Toolkit kToolkits[] = {{"SDL2", ZUGUI_SDL2_HOST}, {"GTK3", ZUGUI_GTK3_HOST}};

// A host program on the other end of two pipes.
class HostProcess {
  public:
    explicit HostProcess(const char* program) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, in[0], 0);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_addclose(&fa, in[1]);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        char* argv[] = {const_cast<char*>(program), nullptr};
        if (posix_spawn(&pid_, program, &fa, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
    }
    ~HostProcess() {
        if (toChild_ >= 0) close(toChild_);
        if (fromChild_ >= 0) close(fromChild_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    void send(const std::string& line) {
        const std::string l = line + "\n";
        ASSERT_EQ(write(toChild_, l.data(), l.size()), ssize_t(l.size()));
    }
    // Waits for a line that starts with prefix; the lines read before it are kept.
    bool expect(const std::string& prefix, int timeoutMs = 5000) {
        const int64_t end = zu::ws::performanceCounter() + int64_t{timeoutMs} * 1000000;
        for (;;) {
            for (size_t nl; (nl = buffer_.find('\n')) != std::string::npos;) {
                const std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                if (line.rfind(prefix, 0) == 0) {
                    last = line;
                    return true;
                }
                skipped.push_back(line);
            }
            const int64_t left = (end - zu::ws::performanceCounter()) / 1000000;
            pollfd p{fromChild_, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, int(left)) <= 0) return false;
            char buf[256];
            const ssize_t n = read(fromChild_, buf, sizeof buf);
            if (n <= 0) return false;
            buffer_.append(buf, size_t(n));
        }
    }
    // The exit status after "exit"; -1 when it did not end in time.
    int finish() {
        send("exit");
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(10000);
        }
        return -1;
    }
    std::string last;
    std::vector<std::string> skipped;

  private:
    pid_t pid_ = -1;
    int toChild_ = -1, fromChild_ = -1;
    std::string buffer_;
};

class EmbeddedInToolkit : public ::testing::TestWithParam<Toolkit> {
  protected:
    TestDisplay x;
    std::unique_ptr<HostProcess> host;
    Window hostWindow = 0;
    zu::ws::Rect at;  // the host window on the screen

    void SetUp() override {
        ASSERT_EQ(chdir(ZUGUI_SOURCE_DIR), 0);  // the GUI's cursor file
        ASSERT_NE(x.dpy, nullptr);
        host = std::make_unique<HostProcess>(GetParam().program);
        ASSERT_TRUE(host->expect("ready", 20000)) << GetParam().name << " host did not start";
        int wx, wy;  // the top-level window under the host's centre
        XTranslateCoordinates(x.dpy, DefaultRootWindow(x.dpy), DefaultRootWindow(x.dpy), kHostW / 2,
                              kHostH / 2, &wx, &wy, &hostWindow);
        ASSERT_NE(hostWindow, 0u);
        ASSERT_TRUE(screenRect(reinterpret_cast<void*>(hostWindow), &at));
        // The host paints when its toolkit gets round to it.
        for (int i = 0; i < 100 && pixel(kHostW - 1, kHostH - 1) != kHostRgb; ++i) usleep(20000);
        // What a window manager does when the user activates the host.
        XSetInputFocus(x.dpy, hostWindow, RevertToParent, CurrentTime);
        x.sync();
    }
    // A click at the centre of a GUI rectangle (origin bottom-left of the GUI area).
    void clickGui(const ZuRECT& r) {
        x.moveTo(at.left + r.x + r.width / 2, at.top + kGuiH - 1 - r.y - r.height / 2);
        x.click(1);
        x.sync();
    }
    uint32_t pixel(int cx, int cy) {
        return windowPixel(reinterpret_cast<void*>(hostWindow), cx, cy);
    }
    // Waits until no client holds the pointer grab.
    bool pointerFree() {
        for (int i = 0; i < 100; ++i) {
            if (XGrabPointer(x.dpy, DefaultRootWindow(x.dpy), False, ButtonPressMask, GrabModeAsync,
                             GrabModeAsync, None, None, CurrentTime) == GrabSuccess) {
                XUngrabPointer(x.dpy, CurrentTime);
                x.sync();
                return true;
            }
            usleep(20000);
        }
        return false;
    }
    // The windows shown inside the host's window (GTK keeps an input-only one of its own).
    std::vector<std::array<int, 4>> mappedChildren() {
        std::vector<std::array<int, 4>> out;
        for (Window kid : childWindows(x.dpy, hostWindow)) {
            XWindowAttributes wa{};
            if (XGetWindowAttributes(x.dpy, kid, &wa) && wa.map_state == IsViewable &&
                wa.c_class == InputOutput)
                out.push_back({wa.x, wa.y, wa.width, wa.height});
        }
        return out;
    }
    // The host's own part of the window, beside and below the GUI, shows the host's colour.
    void expectHostPixels(const char* when) {
        for (auto [cx, cy] : {std::pair{kGuiW + 5, 5},
                              {kHostW - 2, kGuiH - 1},
                              {5, kGuiH + 2},
                              {kGuiW + 1, kGuiH},
                              {kHostW - 1, kHostH - 1}})
            EXPECT_EQ(pixel(cx, cy), kHostRgb) << when << " at host pixel " << cx << "," << cy;
    }
};

TEST_P(EmbeddedInToolkit, TheGuiDrawsTopLeftFromTheFirstPassAndNeverOnTheHostsPixels) {
    // The page's corners, as the first pass left them.
    for (auto [cx, cy] : {std::pair{0, 0}, {kGuiW - 1, 0}, {0, kGuiH - 1}, {kGuiW - 1, kGuiH - 1}})
        EXPECT_EQ(pixel(cx, cy), kPageRgb) << "GUI pixel " << cx << "," << cy;
    expectHostPixels("after the first pass");
    host->send("repaint 10");
    ASSERT_TRUE(host->expect("repainted"));
    expectHostPixels("after ten passes");

    // Our window inside the host's is the GUI area exactly.
    EXPECT_EQ(mappedChildren(), (std::vector<std::array<int, 4>>{{0, 0, kGuiW, kGuiH}}));

    host->send("kill");
    ASSERT_TRUE(host->expect("killed"));
    // The host's window stays, mapped (its pixels are read), without a window of ours
    // inside, and the host paints the area the GUI had.
    EXPECT_TRUE(mappedChildren().empty());
    uint32_t corner = 0;
    for (int i = 0; i < 100 && (corner = pixel(kGuiW / 2, kGuiH / 2)) != kHostRgb; ++i)
        usleep(20000);
    EXPECT_EQ(corner, kHostRgb);
    expectHostPixels("after ZUKillGUI");
    EXPECT_EQ(host->finish(), 0);
}

TEST_P(EmbeddedInToolkit, ClicksAndKeysReachTheGuiAndTheHostGetsItsOwnBack) {
    clickGui(kButton);
    EXPECT_TRUE(host->expect("clicked")) << GetParam().name;

    // Click into the field, then type with the pointer over the host's part: the keys
    // follow the click, not the pointer.
    clickGui(kField);
    x.moveTo(at.left + kGuiW + 100, at.top + kGuiH + 100);
    x.sync();
    usleep(100000);
    x.tap(XK_z);
    x.tap(XK_u);
    x.tap(XK_Return);
    x.sync();
    ASSERT_TRUE(host->expect("entered"));
    EXPECT_EQ(host->last, "entered zu");
    for (auto& l : host->skipped) EXPECT_EQ(l.rfind("hostkey", 0), std::string::npos) << l;

    // A click on the host's part is the host's, and so are the keys after it; the field
    // gives the pointer back only after it has told its parent.
    ASSERT_TRUE(pointerFree());
    x.click(1);
    x.sync();
    EXPECT_TRUE(host->expect("hostclick"));
    usleep(100000);
    x.tap(XK_q);
    x.sync();
    EXPECT_TRUE(host->expect("hostkey"));
    EXPECT_EQ(host->last, "hostkey q");
    EXPECT_EQ(host->finish(), 0);
}

INSTANTIATE_TEST_SUITE_P(Hosts, EmbeddedInToolkit, ::testing::ValuesIn(kToolkits),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
