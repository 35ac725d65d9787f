// Plans of the two engines: what a conversion needs beyond its pixels (validation, the row
// function, derived coefficients and tables), made once and kept for the next frames.
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include "video/convert/convert.h"

namespace zu::detail {

// The few most recent plans of one engine. Plans are never changed once made, so a plan
// found here may be used by several threads at once.
template <class Plan>
class PlanCache {
  public:
    // The cached plan for which match(plan) holds, or a new one from make() (null: none).
    template <class Match, class Make>
    std::shared_ptr<const Plan> get(Match&& match, Make&& make) {
        {
            std::lock_guard<std::mutex> l(m_);
            for (size_t i = 0; i < slots_.size(); ++i)
                if (slots_[i] && match(*slots_[i])) {
                    std::rotate(slots_.begin(), slots_.begin() + i, slots_.begin() + i + 1);
                    return slots_[0];
                }
        }
        std::shared_ptr<const Plan> p = make();
        if (!p) return p;
        std::lock_guard<std::mutex> l(m_);
        std::rotate(slots_.rbegin(), slots_.rbegin() + 1, slots_.rend());
        slots_[0] = p;
        return p;
    }

  private:
    std::mutex m_;
    std::array<std::shared_ptr<const Plan>, 4> slots_;
};

// True for the kernels that may use AVX2.
inline bool usesAvx2(Kernel k) {
    return k == Kernel::Avx2 || k == Kernel::Avx512 || k == Kernel::Avx512Vbmi;
}

// Unpacked 10-bit rows of the calling thread: Y for width pixels, then U and V for the pairs
// with one entry more each, each with room for the unpacker's spare writes. Grows, never
// shrinks, so steady frames allocate nothing.
inline uint16_t* planarScratch(int width) {
    thread_local std::vector<uint16_t> buf;
    const size_t need = size_t(width) + 4 + 2 * (size_t(width) / 2 + 4) + 16;
    if (buf.size() < need) buf.resize(need);
    return buf.data();
}

// Unpacks a 10-bit 4:2:2 row for the planar kernels; the entry past the last pair repeats
// it, which is what the last pair reads as its neighbour.
inline PlanarRowArgs unpackRow(const uint8_t* row, int width, uint8_t* dst, bool sum,
                               const RgbTerms* terms, [[maybe_unused]] Kernel kernel) {
    uint16_t* y = planarScratch(width);
    const int pairs = width / 2;
    uint16_t* u = y + width + 4;
    uint16_t* v = u + pairs + 4;
#if defined(__x86_64__) || defined(__i386__)
    if (kernel == Kernel::Avx512Vbmi)
        unpackV210Vbmi(row, width, y, u, v);
    else if (usesAvx2(kernel))
        unpackV210Avx2(row, width, y, u, v);
    else
#endif
        unpackV210(row, width, y, u, v);
    if (pairs > 0) u[pairs] = u[pairs - 1], v[pairs] = v[pairs - 1];
    return {y, u, v, dst, pairs, sum, terms};
}

// Both engines' argument checks: known formats, pixels, positive heights, row bytes.
inline bool validImages(const FormatInfo* sf, const FormatInfo* df, const SrcImage& src,
                        const DstImage& dst) {
    if (!sf || !df || !src.pixels || !dst.pixels || src.height <= 0 || dst.height <= 0)
        return false;
    const int64_t sMin = minRowBytes(*sf, src.width), dMin = minRowBytes(*df, dst.width);
    return sMin >= 0 && dMin >= 0 && src.rowBytes >= sMin && dst.rowBytes >= dMin;
}

// Kernels that run the integer form of the 4:2:2 rows when their terms are affine.
inline bool usesArith(Kernel k) {
    return usesAvx2(k) || k == Kernel::Neon;
}

// The kernel a request runs on this processor.
inline Kernel resolveKernel(Kernel k) {
    if (k == Kernel::Auto) return bestKernel();
#if defined(__aarch64__)
    if (k != Kernel::Reference && k != Kernel::Neon) return Kernel::Scalar;
#elif !defined(__x86_64__) && !defined(__i386__)
    if (k != Kernel::Reference) return Kernel::Scalar;
#else
    if (k == Kernel::Neon) return Kernel::Scalar;
    if (k == Kernel::Avx512Vbmi && !cpuHasVbmi()) k = Kernel::Avx512;
    if (k == Kernel::Avx512 && !cpuHasAvx512()) k = Kernel::Avx2;
    if (k == Kernel::Avx2 && !cpuHasAvx2()) return Kernel::Sse2;
#endif
    return k;
}

// An 8-bit or 10-bit 4:2:2 row into 4-byte RGB through terms: the arithmetic kernel when
// coefficients exist, else the lookup kernels.
inline void termsRow(const FormatInfo& sf, const uint8_t* s, uint8_t* d, int width, bool sum,
                     const RgbTerms* terms, [[maybe_unused]] const ArithCoeffs* arith,
                     Kernel kernel) {
    const int pairs = width / 2;
    if (sf.family == Family::Yuv422x10) {
        PlanarRowArgs pa = unpackRow(s, width, d, sum, terms, kernel);
#if defined(__x86_64__) || defined(__i386__)
        if (usesAvx2(kernel)) {
            if (arith) {
                const ArithRowArgs aa{nullptr, pa.y, pa.u, pa.v, d,     pairs, 0,
                                      0,       0,    0,    sum,  arith, terms};
                kernel == Kernel::Avx2 ? arithRowAvx2(aa)
                                       : arithRowAvx512(aa, kernel == Kernel::Avx512Vbmi);
                return;
            }
            planarRowAvx2(pa);
            return;
        }
#elif defined(__aarch64__)
        if (kernel == Kernel::Neon && arith)
            return arithRowNeon(
                {nullptr, pa.y, pa.u, pa.v, d, pairs, 0, 0, 0, 0, sum, arith, terms});
#endif
        planarRowScalar(pa);
        return;
    }
    TermRowArgs ta{s, d, pairs, sf.slot[1], sf.slot[3], sf.slot[0], sf.slot[2], sum, terms};
#if defined(__x86_64__) || defined(__i386__)
    if (usesAvx2(kernel)) {
        if (arith) {
            const ArithRowArgs aa{s,     nullptr,    nullptr,    nullptr,    d,
                                  pairs, sf.slot[1], sf.slot[3], sf.slot[0], sf.slot[2],
                                  sum,   arith,      terms};
            kernel == Kernel::Avx2 ? arithRowAvx2(aa)
                                   : arithRowAvx512(aa, kernel == Kernel::Avx512Vbmi);
            return;
        }
        termRowAvx2(ta);
        return;
    }
#elif defined(__aarch64__)
    if (kernel == Kernel::Neon && arith)
        return arithRowNeon({s, nullptr, nullptr, nullptr, d, pairs, sf.slot[1], sf.slot[3],
                             sf.slot[0], sf.slot[2], sum, arith, terms});
#endif
    termRowScalar(ta);
}

}  // namespace zu::detail
