// Row ranges of one conversion split over the converter's worker threads.
#pragma once

#include <cstdint>
#include <type_traits>

namespace zu::detail {

// Frames from this many destination pixels on are split over the workers.
inline constexpr int64_t kSplitPixels = 500000;

using RowRangeFn = void (*)(void* ctx, int begin, int end);
void forRowRanges(int rows, int grain, int64_t pixels, RowRangeFn fn, void* ctx);

// Calls f(begin, end) over [0, rows): on the calling thread alone for small frames, else
// in contiguous parts, each a multiple of grain rows (but the last), that the calling
// thread and the workers take in turn. Returns when every part is done; results never
// depend on the split.
template <class F>
void forRows(int rows, int grain, int64_t pixels, F&& f) {
    forRowRanges(
        rows, grain, pixels,
        [](void* c, int b, int e) { (*static_cast<std::remove_reference_t<F>*>(c))(b, e); },
        const_cast<void*>(static_cast<const void*>(&f)));
}

// Threads a split frame uses, the caller's included.
int convertThreadCount();
// Ends the workers; the next split frame starts them again.
void stopConvertWorkers();

}  // namespace zu::detail
