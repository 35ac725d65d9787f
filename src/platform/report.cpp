#include "platform/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "zugui/platform.h"

namespace zu::detail {
namespace {

std::mutex callbackMutex;
ZuErrorCallback callback = nullptr;
void* callbackContext = nullptr;

}  // namespace

void reportFailure(const char* format, ...) {
    ZuErrorCallback cb;
    void* context;
    {
        std::lock_guard lock(callbackMutex);
        cb = callback;
        context = callbackContext;
    }
    // Without a callback, ZUGUI_LOG in the environment sends the lines to standard error:
    // a host (or a test run) can see why a call failed without writing any code.
    static const bool toStderr = [] {
        const char* v = std::getenv("ZUGUI_LOG");
        return v && *v;
    }();
    if (!cb && !toStderr) return;
    char buffer[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::string line;
    for (const char* c = buffer; *c; ++c) {
        if (*c == '\n' || *c == '\r') {
            // Multi-line logs (a shader compiler's) become one line.
            if (c[1] && c[1] != '\n' && c[1] != '\r' && !line.empty()) line += "; ";
        } else {
            line += *c;
        }
    }
    if (cb)
        cb(line.c_str(), context);
    else
        std::fprintf(stderr, "zugui: %s\n", line.c_str());
}

}  // namespace zu::detail

ZUAPI void ZuSetErrorCallback(ZuErrorCallback cb, void* context) {
    std::lock_guard lock(zu::detail::callbackMutex);
    zu::detail::callback = cb;
    zu::detail::callbackContext = context;
}
