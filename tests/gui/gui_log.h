// A recording node callback for the GUI tests: every message a node receives, in order.
#pragma once

#include <string>
#include <vector>

#include "gui/gui_state.h"

namespace zu::test {

struct Heard {
    std::string node;  // the node's text, or "render" for a render marker
    unsigned msg;
    int a, b;
    void* p;
    void* q;
    bool operator==(const Heard& o) const {
        return node == o.node && msg == o.msg && a == o.a && b == o.b;
    }
};

// What a test expects node n to hear.
inline Heard H(const char* n, unsigned m, int a = 0, int b = 0) {
    return {n, m, a, b, nullptr, nullptr};
}

inline std::vector<Heard>& heard() {
    static std::vector<Heard> h;
    return h;
}

// userData is the node's own record, so the log can name it by its text.
inline int logCallback(void* userData, unsigned msg, int a, int b, void* p, void* q) {
    auto* n = static_cast<ZUWindowNode*>(userData);
    heard().push_back({n ? n->text : "?", msg, a, b, p, q});
    return 0;
}

// Creates a visible, enabled logging node whose userData is itself.
inline ZUWindowNode* makeNode(const char* name, ZUWindowNode* parent, ZuRECT r,
                              unsigned flags = 1) {
    ZUWindowNode* n =
        ZUCreateWindow(const_cast<char*>(name), 2, flags, &r, nullptr, parent, logCallback);
    if (n) n->userData = n;
    return n;
}

inline std::vector<Heard> heardOf(unsigned msg) {
    std::vector<Heard> out;
    for (auto& h : heard())
        if (h.msg == msg) out.push_back(h);
    return out;
}

}  // namespace zu::test
