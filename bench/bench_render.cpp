// Render passes of a 1280 x 720 GUI timed to glFinish, each beside Dear ImGui (OpenGL 2
// backend) drawing the same into the same context in the same run: 400 captioned push
// buttons and 200 static texts; 2,000 static texts of 20 characters; and the empty pass
// (clear only) as the floor under both. ImGui also draws in a context of its own, to show
// that sharing ours costs it nothing. Beside them, what stands in the way: the pixels each
// pass fills, its own triangles replayed in one draw, and the fill floor, the same triangles
// with the cheapest state (no texture, no blending), below which no drawing order or
// batching goes.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "text/draw_stream.h"
#include "text/line_cache.h"
#include "zugui/zugui.h"

namespace {

namespace ws = zu::ws;
using zu::detail::gui;

constexpr int kW = 1280, kH = 720, kButtons = 400, kTexts = 200, kPasses = 200;
constexpr int kHeavyTexts = 2000;

double msSince(int64_t start) {
    return double(ws::performanceCounter() - start) * 1000.0 / double(ws::performanceFrequency());
}
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// 20 columns of 20 buttons (60 x 18) on the upper part, 10 columns of 20 texts below.
ZuRECT buttonRect(int i) {
    return {4 + (i % 20) * 63, kH - 22 - (i / 20) * 20, 60, 18};
}
ZuRECT textRect(int i) {
    return {4 + (i % 10) * 126, 250 - (i / 10) * 12, 120, 12};
}

// 2,000 texts in 12 columns of 58 rows, three layers deep (they cannot all fit side by
// side at this size), each layer shifted by a few pixels.
ZuRECT heavyRect(int i) {
    const int layer = i / 696, cell = i % 696;
    return {2 + (cell % 12) * 106 + layer * 3, kH - 14 - (cell / 12) * 12 - layer * 4, 104, 12};
}
void heavyCaption(int i, char* out, size_t size) {
    snprintf(out, size, "Static text no. %04d", i);  // 20 characters
}

// A node holds at most 140 children and leaves any more out of the tree without a word, so
// the widgets go into groups of 100 under the root (the groups draw nothing themselves).
class Groups {
  public:
    explicit Groups(ZUWindow& root) : root_(root) {}
    ZUWindow* next() {
        if (count_ % kPerGroup == 0) {
            groups_.push_back(std::make_unique<ZUWindow>());
            ZuRECT all{0, 0, kW, kH};
            groups_.back()->CreateZUWindow(const_cast<char*>("group"), 0, 1, 0, &all, &root_);
        }
        ++count_;
        return groups_.back().get();
    }
    // Every widget made so far is in the tree, and so drawn.
    bool complete() const {
        unsigned linked = 0;
        for (const auto& g : groups_) linked += g->GetZUWndHandle()->childCount;
        return root_.GetZUWndHandle()->childCount == groups_.size() && linked == count_;
    }
    // After the widgets.
    void clear() {
        groups_.clear();
        count_ = 0;
    }

  private:
    static constexpr unsigned kPerGroup = 100;
    ZUWindow& root_;
    std::vector<std::unique_ptr<ZUWindow>> groups_;
    unsigned count_ = 0;
};

double zuguiPass(ZUWindow& root) {
    const int64_t t0 = ws::performanceCounter();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    zu::detail::renderWalk(root.GetZUWndHandle());
    glFinish();
    return msSince(t0);
}

double emptyPass() {
    const int64_t t0 = ws::performanceCounter();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
    return msSince(t0);
}

double imguiHeavyPass() {
    const int64_t t0 = ws::performanceCounter();
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(kW, kH);
    io.DeltaTime = 1.0f / 60;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    // Four windows over the same area: one draw list with 16-bit indices holds at most
    // 65,536 vertices, 800 texts of 20 characters.
    char label[32];
    for (int w = 0; w < 4; ++w) {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(kW, kH));
        snprintf(label, sizeof label, "heavy %d", w);
        ImGui::Begin(label, nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoBackground |
                         ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoInputs);
        for (int i = w * kHeavyTexts / 4; i < (w + 1) * kHeavyTexts / 4; ++i) {
            const ZuRECT r = heavyRect(i);
            ImGui::SetCursorPos(ImVec2(float(r.x), float(kH - r.y - r.height)));
            heavyCaption(i, label, sizeof label);
            ImGui::TextUnformatted(label);
        }
        ImGui::End();
    }
    ImGui::Render();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glFinish();
    return msSince(t0);
}

double imguiPass() {
    const int64_t t0 = ws::performanceCounter();
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(kW, kH);
    io.DeltaTime = 1.0f / 60;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(kW, kH));
    ImGui::Begin("bench", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoBackground |
                     ImGuiWindowFlags_NoSavedSettings);
    char label[32];
    for (int i = 0; i < kButtons; ++i) {
        const ZuRECT r = buttonRect(i);
        ImGui::SetCursorPos(ImVec2(float(r.x), float(kH - r.y - r.height)));
        snprintf(label, sizeof label, "Button %d", i);
        ImGui::Button(label, ImVec2(float(r.width), float(r.height)));
    }
    for (int i = 0; i < kTexts; ++i) {
        const ZuRECT r = textRect(i);
        ImGui::SetCursorPos(ImVec2(float(r.x), float(kH - r.y - r.height)));
        ImGui::Text("Label %d", i);
    }
    ImGui::End();
    ImGui::Render();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glFinish();
    return msSince(t0);
}

// The fragments a pass sends to the framebuffer, as OpenGL counts them: every pixel of
// every triangle and line rasterised, overlaps counted again (nothing is depth-tested).
uint64_t fragments(const std::function<double()>& pass) {
    GLuint q = 0;
    glGenQueries(1, &q);
    glBeginQuery(GL_SAMPLES_PASSED, q);
    pass();
    glEndQuery(GL_SAMPLES_PASSED);
    GLuint64 n = 0;
    glGetQueryObjectui64v(q, GL_QUERY_RESULT, &n);
    glDeleteQueries(1, &q);
    return n;
}

// A pass's triangles as clip-space corners: zugui's as its stream drew them, ImGui's from
// its draw lists.
struct Geometry {
    zu::detail::StreamCapture stream;
    std::vector<float> xy;  // the corners' positions, for the floor
    int draws = 0;
    bool steady = true;  // the same in two passes running
};

bool sameCorners(const zu::detail::StreamCapture& a, const zu::detail::StreamCapture& b) {
    return a.draws == b.draws && a.corners.size() == b.corners.size() &&
           std::memcmp(a.corners.data(), b.corners.data(),
                       a.corners.size() * sizeof a.corners[0]) == 0;
}

// The line cache makes its images over a tree's first passes, so the pass is taken once
// two in a row drew the same.
Geometry zuguiGeometry(ZUWindow& root) {
    Geometry g;
    zu::detail::StreamCapture last;
    for (int i = 0; i < 8; ++i) {
        zu::detail::StreamCapture now;
        zu::detail::captureStream(&now);
        zuguiPass(root);
        zu::detail::captureStream(nullptr);
        g.steady = i > 0 && sameCorners(now, last);
        last = std::move(now);
        if (g.steady) break;
    }
    g.stream = std::move(last);
    g.draws = g.stream.draws;
    for (const auto& c : g.stream.corners) g.xy.push_back(c.x), g.xy.push_back(c.y);
    return g;
}

// ImGui's last frame, indices resolved, pixels (y down) turned into clip space.
Geometry imguiGeometry() {
    Geometry g;
    const ImDrawData* d = ImGui::GetDrawData();
    for (int l = 0; l < d->CmdListsCount; ++l) {
        const ImDrawList* list = d->CmdLists[l];
        for (const ImDrawCmd& cmd : list->CmdBuffer) {
            ++g.draws;
            for (unsigned i = 0; i < cmd.ElemCount; ++i) {
                const ImDrawVert& v =
                    list->VtxBuffer[list->IdxBuffer[cmd.IdxOffset + i] + cmd.VtxOffset];
                g.xy.push_back((v.pos.x - d->DisplayPos.x) / d->DisplaySize.x * 2 - 1);
                g.xy.push_back(1 - (v.pos.y - d->DisplayPos.y) / d->DisplaySize.y * 2);
            }
        }
    }
    return g;
}

// Clears, then draws clip-space triangles with identity matrices, without depth or scissor
// test, and waits for them.
template <typename Draw>
double clipSpacePass(Draw draw) {
    const int64_t t0 = ws::performanceCounter();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    draw();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
    glFinish();
    return msSince(t0);
}

// The fill floor: one draw in one colour, no texture, no blending.
double floorPass(const Geometry& g) {
    return clipSpacePass([&] {
        glColor4f(0.2f, 0.25f, 0.35f, 1);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, g.xy.data());
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(g.xy.size() / 2));
    });
}

// zugui's corners again in one draw with the stream's state (atlas, colours, blending): the
// pass without walking the tree and laying out the texts.
double replayPass(const Geometry& g) {
    const zu::detail::StreamCapture& c = g.stream;
    return clipSpacePass([&] {
        const zu::detail::StreamVertex* v = c.corners.data();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        if (c.texture) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, c.texture);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, sizeof *v, &v->s);
        }
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, sizeof *v, &v->r);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof *v, &v->x);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(c.corners.size()));
    });
}

// What stands in the way of one pair of rows.
struct Fill {
    Geometry zu, im;
    uint64_t zuPixels = 0, imPixels = 0;
};
Fill measureFill(ZUWindow& root, const std::function<double()>& imgui) {
    Fill f;
    f.zu = zuguiGeometry(root);
    f.zuPixels = fragments([&] { return zuguiPass(root); });
    f.imPixels = fragments(imgui);
    f.im = imguiGeometry();
    return f;
}
void printFill(const Fill& f, double replay, double zuFloor, double imFloor) {
    const double window = double(kW) * kH;
    printf("    pixels filled, zugui  %8.2f windows (%llu px, %zu triangles, %d draw%s%s)\n",
           double(f.zuPixels) / window, static_cast<unsigned long long>(f.zuPixels),
           f.zu.xy.size() / 6, f.zu.draws, f.zu.draws == 1 ? "" : "s",
           f.zu.steady ? "" : "; not the same two passes running");
    printf("    pixels filled, ImGui  %8.2f windows (%llu px, %zu triangles, %d draw%s)\n",
           double(f.imPixels) / window, static_cast<unsigned long long>(f.imPixels),
           f.im.xy.size() / 6, f.im.draws, f.im.draws == 1 ? "" : "s");
    printf("    zugui replayed        %8.3f ms (its triangles and state in one draw, no walk)\n",
           replay);
    printf("    zugui fill floor      %8.3f ms (its triangles untextured, unblended)\n", zuFloor);
    printf("    ImGui fill floor      %8.3f ms (the same of ImGui's)\n", imFloor);
}

// Rows interleaved pass by pass, so that all see the same machine load, each pass starting
// one row further on, so that no row always follows the same one; medians.
struct Rows {
    std::vector<std::vector<double>> ms;
    double operator[](size_t i) const { return median(ms[i]); }
};
Rows interleaved(int passes, const std::vector<std::function<double()>>& rows) {
    for (int i = 0; i < 10; ++i)  // warm up
        for (const auto& row : rows) row();
    Rows r{std::vector<std::vector<double>>(rows.size())};
    for (int i = 0; i < passes; ++i)
        for (size_t k = 0; k < rows.size(); ++k) {
            const size_t at = (k + static_cast<size_t>(i)) % rows.size();
            r.ms[at].push_back(rows[at]());
        }
    return r;
}

}  // namespace

int main() {
    // glibc moves its mmap and trim thresholds after what the process freed before, so a
    // row measured later paid page faults on the driver's per-pass buffers that an earlier
    // row did not (ImGui 0.5x to 1.3x of itself, by order alone). Pinned, every row sees
    // the same allocator.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    if (chdir(ZUGUI_SOURCE_DIR) != 0) return 1;
    if (ZUInitGUI(0, 0, kW, kH, nullptr, const_cast<char*>("bench"), nullptr, nullptr, 0) != 0) {
        fprintf(stderr, "bench_render: no GUI\n");
        return 1;
    }
    ZUWindow root;
    ZuRECT all{0, 0, kW, kH};
    root.CreateZUWindow(const_cast<char*>("root"), 0, 1, 0, &all, nullptr);
    Groups groups(root);
    std::vector<std::unique_ptr<ZUButton>> buttons;
    std::vector<std::unique_ptr<ZUStatic>> texts;
    char caption[32];
    for (int i = 0; i < kButtons; ++i) {
        buttons.push_back(std::make_unique<ZUButton>());
        ZuRECT r = buttonRect(i);
        snprintf(caption, sizeof caption, "Button %d", i);
        buttons.back()->CreateZUWindow(caption, 0, 1, 0, &r, groups.next());
    }
    for (int i = 0; i < kTexts; ++i) {
        texts.push_back(std::make_unique<ZUStatic>());
        ZuRECT r = textRect(i);
        snprintf(caption, sizeof caption, "Label %d", i);
        texts.back()->CreateZUWindow(caption, 0, 1, 0, &r, groups.next());
    }
    if (!groups.complete()) {
        fprintf(stderr, "bench_render: not every widget is in the tree\n");
        return 1;
    }
    ws::makeCurrent(gui().mainSurface);
    ImGuiContext* shared = ImGui::CreateContext();
    ImGui::SetCurrentContext(shared);
    ImGui::GetIO().IniFilename = nullptr;
    ImGui_ImplOpenGL2_Init();

    // The peer alone: a window and context of its own that the library never drew in.
    ws::WindowDesc d;
    d.visible = true, d.surface = true, d.width = kW, d.height = kH;
    ws::Surface* ownSurface = nullptr;
    ws::Window* ownWindow = ws::createWindow(d, &ownSurface);
    ImGuiContext* own = ImGui::CreateContext();
    if (ownWindow && ws::makeCurrent(ownSurface)) {
        glViewport(0, 0, kW, kH);
        ImGui::SetCurrentContext(own);
        ImGui::GetIO().IniFilename = nullptr;
        ImGui_ImplOpenGL2_Init();
    }
    auto inShared = [&] {
        ws::makeCurrent(gui().mainSurface);
        ImGui::SetCurrentContext(shared);
    };
    auto inOwn = [&] {
        ws::makeCurrent(ownSurface);
        ImGui::SetCurrentContext(own);
    };
    // A peer pass in its own window and context; 0 without one.
    auto ownPass = [&](const std::function<double()>& pass) {
        if (!ownWindow) return 0.0;
        inOwn();
        const double ms = pass();
        inShared();
        return ms;
    };

    // Where the time goes: the same tree with every caption empty (plates and frames only),
    // its captions swapped out and back between the timed passes.
    auto setCaptions = [&](bool on) {
        char text[32], empty[] = "";
        for (int i = 0; i < kButtons; ++i) {
            snprintf(text, sizeof text, "Button %d", i);
            ZUSetWindowText(buttons[i]->GetZUWndHandle(), on ? text : empty, 0);
        }
        for (int i = 0; i < kTexts; ++i) {
            snprintf(text, sizeof text, "Label %d", i);
            ZUSetWindowText(texts[i]->GetZUWndHandle(), on ? text : empty, 0);
        }
    };
    inShared();  // the peer's own context was the last made current
    const Fill busyFill = measureFill(root, imguiPass);
    const Rows busy = interleaved(
        kPasses, {[&] { return zuguiPass(root); }, [&] { return imguiPass(); },
                  [&] {
                      setCaptions(false);
                      const double ms = zuguiPass(root);
                      setCaptions(true);
                      return ms;
                  },
                  [&] { return emptyPass(); }, [&] { return ownPass(imguiPass); },
                  [&] { return replayPass(busyFill.zu); }, [&] { return floorPass(busyFill.zu); },
                  [&] { return floorPass(busyFill.im); },
                  [&] {
                      zu::detail::useLineImages(false);
                      const double ms = zuguiPass(root);
                      zu::detail::useLineImages(true);
                      return ms;
                  }});
    buttons.clear();
    texts.clear();
    groups.clear();

    // Text-heavy: 2,000 static texts of 20 characters.
    std::vector<std::unique_ptr<ZUStatic>> heavy;
    for (int i = 0; i < kHeavyTexts; ++i) {
        heavy.push_back(std::make_unique<ZUStatic>());
        ZuRECT r = heavyRect(i);
        heavyCaption(i, caption, sizeof caption);
        heavy.back()->CreateZUWindow(caption, 0, 1, 0, &r, groups.next());
    }
    if (!groups.complete()) {
        fprintf(stderr, "bench_render: not every text is in the tree\n");
        return 1;
    }
    const Fill textFill = measureFill(root, imguiHeavyPass);
    const Rows text =
        interleaved(kPasses / 2,
                    {[&] { return zuguiPass(root); }, [&] { return imguiHeavyPass(); },
                     [&] { return emptyPass(); }, [&] { return ownPass(imguiHeavyPass); },
                     [&] { return replayPass(textFill.zu); },
                     [&] { return floorPass(textFill.zu); }, [&] { return floorPass(textFill.im); },
                     [&] {
                         zu::detail::useLineImages(false);
                         const double ms = zuguiPass(root);
                         zu::detail::useLineImages(true);
                         return ms;
                     }});
    heavy.clear();
    groups.clear();

    const double z = busy[0], g = busy[1], b = busy[2], e = busy[3], go = busy[4];
    printf(
        "bench_render: %dx%d, medians of %d passes (text-heavy: %d) each, to glFinish, rows "
        "interleaved pass by pass\n",
        kW, kH, kPasses, kPasses / 2);
    printf("  %d buttons + %d texts\n", kButtons, kTexts);
    printf("    zugui render pass     %8.3f ms\n", z);
    printf("    Dear ImGui frame      %8.3f ms (peer)\n", g);
    printf("    ratio zugui / ImGui   %8.2f   (target <= 0.5)\n", z / g);
    printf(
        "    zugui without texts   %8.3f ms (text: %.3f ms, %.0f%% of the pass; target <= 33%%)\n",
        b, z - b, 100.0 * (z - b) / z);
    if (ownWindow) printf("    ImGui, own context    %8.3f ms (shared / own %.2f)\n", go, g / go);
    printFill(busyFill, busy[5], busy[6], busy[7]);
    printf("    zugui glyph by glyph  %8.3f ms (no line images)\n", busy[8]);
    printf("    empty pass            %8.3f ms (floor)\n", e);
    printf("  %d static texts of 20 characters\n", kHeavyTexts);
    printf("    zugui render pass     %8.3f ms\n", text[0]);
    printf("    Dear ImGui frame      %8.3f ms (peer)\n", text[1]);
    printf("    ratio zugui / ImGui   %8.2f   (target <= 0.7)\n", text[0] / text[1]);
    if (ownWindow)
        printf("    ImGui, own context    %8.3f ms (shared / own %.2f)\n", text[3],
               text[1] / text[3]);
    printFill(textFill, text[4], text[5], text[6]);
    printf("    zugui glyph by glyph  %8.3f ms (no line images)\n", text[7]);
    printf("    empty pass            %8.3f ms (floor)\n", text[2]);

    if (ownWindow) {
        inOwn();
        ImGui_ImplOpenGL2_Shutdown();
    }
    ImGui::DestroyContext(own);
    inShared();
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext(shared);
    ws::makeCurrent(nullptr);
    ws::destroySurface(ownSurface);
    if (ownWindow) ws::destroyWindow(ownWindow);
    root.DestroyZUWindow();
    ZUKillGUI();
    return 0;
}
