// A parent widget that records what its children tell it, for the widget tests.
#pragma once

#include <string>
#include <vector>

#include "zugui/widgets.h"

namespace zu::test {

struct Heard {
    unsigned msg;
    int a, b;
    void* p;
};

class HostWidget : public ZUWindow {
  public:
    std::vector<Heard> heard;
    int renders = 0;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override {
        if (msg == ZUM_RENDER) {
            ++renders;
            return 0;
        }
        if (msg != ZUM_DESTROY) heard.push_back({msg, a, b, p});
        return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
    }
    size_t count(unsigned msg) const {
        size_t n = 0;
        for (auto& h : heard) n += h.msg == msg;
        return n;
    }
};

inline char* cs(const char* s) {
    return const_cast<char*>(s);
}
inline std::string textOf(ZUWindow& w) {
    char buf[264] = {};
    w.GetWindowZUText(buf, 256);
    return buf;
}

}  // namespace zu::test
