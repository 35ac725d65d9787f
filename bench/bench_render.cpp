// One render pass of a 1280 x 720 GUI with 400 captioned push buttons and 200 static
// texts, timed to glFinish, beside Dear ImGui (OpenGL 2 backend) drawing 400 buttons and
// 200 text labels into the same context and window size in the same run.
#include <GL/gl.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "zugui/zugui.h"

namespace {

namespace ws = zu::ws;
using zu::detail::gui;

constexpr int kW = 1280, kH = 720, kButtons = 400, kTexts = 200, kPasses = 200;

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

double zuguiPass(ZUWindow& root) {
    const int64_t t0 = ws::performanceCounter();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    zu::detail::renderWalk(root.GetZUWndHandle());
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

}  // namespace

int main() {
    if (chdir(ZUGUI_SOURCE_DIR) != 0) return 1;
    if (ZUInitGUI(0, 0, kW, kH, nullptr, const_cast<char*>("bench"), nullptr, nullptr, 0) != 0) {
        fprintf(stderr, "bench_render: no GUI\n");
        return 1;
    }
    ZUWindow root;
    ZuRECT all{0, 0, kW, kH};
    root.CreateZUWindow(const_cast<char*>("root"), 0, 1, 0, &all, nullptr);
    std::vector<std::unique_ptr<ZUButton>> buttons;
    std::vector<std::unique_ptr<ZUStatic>> texts;
    char caption[32];
    for (int i = 0; i < kButtons; ++i) {
        buttons.push_back(std::make_unique<ZUButton>());
        ZuRECT r = buttonRect(i);
        snprintf(caption, sizeof caption, "Button %d", i);
        buttons.back()->CreateZUWindow(caption, 0, 1, 0, &r, &root);
    }
    for (int i = 0; i < kTexts; ++i) {
        texts.push_back(std::make_unique<ZUStatic>());
        ZuRECT r = textRect(i);
        snprintf(caption, sizeof caption, "Label %d", i);
        texts.back()->CreateZUWindow(caption, 0, 1, 0, &r, &root);
    }
    ws::makeCurrent(gui().mainSurface);
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui_ImplOpenGL2_Init();

    std::vector<double> zu, im;
    for (int i = 0; i < 10; ++i) zuguiPass(root), imguiPass();  // warm up both
    // Interleaved, so that both see the same machine load.
    for (int i = 0; i < kPasses; ++i) {
        zu.push_back(zuguiPass(root));
        im.push_back(imguiPass());
    }
    // Where the time goes: the same tree with every caption empty (plates and frames only).
    std::vector<double> bare;
    char empty[] = "";
    for (auto& b : buttons) ZUSetWindowText(b->GetZUWndHandle(), empty, 0);
    for (auto& t : texts) ZUSetWindowText(t->GetZUWndHandle(), empty, 0);
    for (int i = 0; i < kPasses; ++i) bare.push_back(zuguiPass(root));
    const double z = median(zu), g = median(im), b = median(bare);
    printf("bench_render: %d buttons + %d texts, %dx%d, median of %d passes to glFinish\n",
           kButtons, kTexts, kW, kH, kPasses);
    printf("  zugui render pass     %8.3f ms\n", z);
    printf("  Dear ImGui frame      %8.3f ms (peer)\n", g);
    printf("  ratio zugui / ImGui   %8.2f\n", z / g);
    printf("  zugui without texts   %8.3f ms (text: %.3f ms of the pass)\n", b, z - b);

    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    ws::makeCurrent(nullptr);
    buttons.clear();
    texts.clear();
    root.DestroyZUWindow();
    ZUKillGUI();
    return 0;
}
