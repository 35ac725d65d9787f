// Parent widgets that record what their children tell them, for the widget tests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "gui/gui_state.h"
#include "support/rows.h"
#include "zugui/widgets.h"

namespace zu::test {

// A parent that keeps its children's notifications to itself and records them (the text
// a number field hands over in q copied while it is valid), and counts its render passes.
struct Recorder : ZUWindow {
    struct Heard {
        unsigned msg;
        int a;
        void* p;
        std::string text;
    };
    std::vector<Heard> heard;
    std::atomic<int> renders{0};
    ZuErr ReceiveZUMessage(unsigned msg, int a, int b, void* p, void* q) override {
        if (msg == ZUM_RENDER) ++renders;
        if (msg == ZUM_RENDER || msg == ZUM_DESTROY)
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        // Only the number field's value carries a text; other messages' q is no string.
        const bool text = q && msg == ZUM_VALUECHANGED;
        heard.push_back({msg, a, p, text ? static_cast<const char*>(q) : ""});
        return 0;
    }
    size_t count(unsigned msg) const {
        size_t n = 0;
        for (auto& h : heard) n += h.msg == msg;
        return n;
    }
    std::vector<unsigned> messages() const {
        std::vector<unsigned> m;
        for (auto& h : heard) m.push_back(h.msg);
        return m;
    }
};

inline std::string textOf(ZUWindow& w) {
    char buf[264] = {};
    w.GetWindowZUText(buf, 256);
    return buf;
}

}  // namespace zu::test
