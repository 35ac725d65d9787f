// The smallest zugui host: one button and a label that counts the clicks.
//   zugui-hello [--self-test]   (the self-test clicks the button itself and exits)
#include <zugui/zugui.h>

#include <cstdio>
#include <cstring>

class Hello : public ZUWindow {
  public:
    ZUButton button;
    ZUStatic label;
    int clicks = 0;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override {
        if (msg == ZUM_CLICKED && p == &button) {
            char text[64];
            std::snprintf(text, sizeof text, "Clicked %d time%s", ++clicks, clicks == 1 ? "" : "s");
            label.SetWindowZUText(text, 0);  // the next render pass shows it
        }
        return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
    }
};

int main(int argc, char** argv) {
    const bool selfTest = argc > 1 && std::strcmp(argv[1], "--self-test") == 0;
    if (ZUInitGUI(100, 100, 320, 120, nullptr, (char*)"hello", nullptr, nullptr, 0) != 0) return 1;
    Hello app;
    ZuRECT all{0, 0, 320, 120}, b{112, 70, 96, 32}, l{10, 20, 300, 24};
    app.CreateZUWindow((char*)"hello", 0, 1, 0, &all, nullptr);
    app.button.CreateZUWindow((char*)"Click me", 0, 1, 0, &b, &app);
    app.label.CreateZUWindow((char*)"Not clicked yet", 0, 1, 0, &l, &app);
    ZUStartGUI();
    if (selfTest) {  // a press and a release inside the button, as the mouse would send them
        ZUPostMessage(app.button.GetZUWndHandle(), ZUM_LBUTTONDOWN, 150, 80, nullptr, nullptr);
        ZUPostMessage(app.button.GetZUWndHandle(), ZUM_LBUTTONUP, 150, 80, nullptr, nullptr);
    }
    ZuMSG m;
    while ((!selfTest || app.clicks == 0) && ZuGetMessage(&m) > 0) ZuDispatchMessage(&m);
    ZUStopGUI();
    ZUKillGUI();
    std::printf("%d click(s)\n", app.clicks);
    return selfTest && app.clicks != 1;
}
