// CPU pixel-format conversion: the table converter and the fallback scaler. Internal to
// the library; the display pipeline, the tests, the fuzz target and the benchmark call it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zugui/video.h"

namespace zu::detail {

enum class Family : uint8_t {
    Yuv422x8,   // U Y0 V Y1 or Y0 U Y1 V bytes
    Yuv422x10,  // six pixels in four 32-bit words
    Yuv444x8,   // "vuyp"
    Yuv444x10,  // "10yb"
    YuvFloat,   // "YVrF"
    Rgb8,
    Rgb16,
    Rgb10,
    RgbFloat,
    Opaque,  // known, drawn directly only, never converted
};

enum class Packing : uint8_t { None, HighLE, HighBE, LowLE, LowAlphaLE };

struct FormatInfo {
    unsigned code;
    Family family;
    uint8_t bytesPerPixel;  // 0 for the 4:2:2 groups
    // RGB: element index of R, G, B, A (-1: none). 8-bit 4:2:2: byte of U, Y0, V, Y1.
    // 4:4:4: element of Y, U, V.
    int8_t slot[4];
    double maxValue;   // nominal maximum of a component
    double lo, hi;     // range used between RGB formats
    bool tableListed;  // the table converter takes it (the others are fallback-only)
    Packing packing;
};

// Null for an unknown code.
const FormatInfo* formatInfo(unsigned code);
// Bytes that one row of width pixels needs; -1 when the width is invalid for the format.
int64_t minRowBytes(const FormatInfo& f, int width);

inline bool isYuv(const FormatInfo& f) {
    return f.family == Family::Yuv422x8 || f.family == Family::Yuv422x10 ||
           f.family == Family::Yuv444x8 || f.family == Family::Yuv444x10 ||
           f.family == Family::YuvFloat;
}
inline bool isRgb(const FormatInfo& f) {
    return f.family == Family::Rgb8 || f.family == Family::Rgb16 || f.family == Family::Rgb10 ||
           f.family == Family::RgbFloat;
}
inline bool is422(const FormatInfo& f) {
    return f.family == Family::Yuv422x8 || f.family == Family::Yuv422x10;
}

struct SrcImage {
    const void* pixels;
    int width;
    int height;
    unsigned format;
    int rowBytes;
};

struct DstImage {
    void* pixels;
    int width;
    int height;
    unsigned format;
    int rowBytes;
};

// Which implementation runs. Reference is the plain scalar code every faster kernel must
// match bit for bit; Auto picks the best the processor has, and a level the processor lacks
// runs as the next one below it.
// Avx512 runs the integer kernel 32 pixels a step and otherwise the AVX2 kernels;
// Avx512Vbmi adds byte permutes: the integer kernel's and the 10-bit unpacking's, and the
// fast path's register lookups. Neon is arm64's (every arm64 processor has it); elsewhere
// it runs as Scalar.
enum class Kernel { Auto, Reference, Scalar, Sse2, Avx2, Avx512, Avx512Vbmi, Neon };

bool cpuHasAvx2();
bool cpuHasAvx512();
bool cpuHasNeon();
// The kernel Auto resolves to on this processor.
Kernel bestKernel();

struct TableOptions {
    unsigned char flip = 0;  // write the destination bottom row first
    double alpha = -1.0;     // -1: the maximum of the destination range
    const ZuColorTables* tables = nullptr;
    unsigned char fullRangeTop = 0;
    unsigned char fullRangeBottom = 0;
    const ZuRGBLUT* lut = nullptr;
    unsigned char fieldShift = 0;  // read from the source's second row, repeat the last row
    unsigned char fast = 0;        // allow the fast-table path
};

// The table converter: power-of-two scaling with the host's tables. 0, or -2 for an
// unsupported ratio or pair, missing tables or bad buffers.
int tableConvert(const SrcImage& src, const DstImage& dst, const TableOptions& opt,
                 Kernel kernel = Kernel::Auto);

// How the rows of a conversion are computed: the scalar reference, lookup kernels over
// term tables, the integer kernel, a byte shuffle, or the fast path's kernels. Tests ask.
enum class RowPlan { None, Reference, Lookup, Arithmetic, Shuffle, Fast };
RowPlan tableRowPlan(const SrcImage& src, const DstImage& dst, const TableOptions& opt,
                     Kernel kernel = Kernel::Auto);
RowPlan scalerRowPlan(const SrcImage& src, const DstImage& dst, const ZuColorDescriptor& d,
                      Kernel kernel = Kernel::Auto);

// Fills the doubles of d for its standard (0 to 5; others leave them) and a source format.
void fillColorDescriptor(ZuColorDescriptor& d, unsigned srcFormat);

// The fallback scaler: any size ratio, colour tables built from the descriptor.
class FallbackScaler {
  public:
    int convert(const SrcImage& src, const DstImage& dst, unsigned char keepAspect,
                ZuColorDescriptor* descriptor, unsigned char bottomUp, const uint32_t* border,
                Kernel kernel = Kernel::Auto);
    const ZuColorDescriptor& state() const { return state_; }

  private:
    ZuColorDescriptor state_{};
};

// ---- kernels (kernels_x86.cpp) --------------------------------------------------------

// Fast path, one row of pairs: dst gets 2 * pairs "bgrA" pixels from source pairs
// 0, step, 2 * step, ...; yOff0/yOff1/uOff/vOff are the byte offsets inside a group.
struct FastRowArgs {
    const uint8_t* src;
    uint8_t* dst;
    int pairs;
    int step;
    int yOff0, yOff1, uOff, vOff;
    const short (*luma)[4];
    const short (*cb)[4];
    const short (*cr)[4];
};
void fastRowScalar(const FastRowArgs& a);
void fastRowSse2(const FastRowArgs& a);
void fastRowAvx2(const FastRowArgs& a);

// The fast path's tables by column for the 512-bit kernel, which reads 64 entries at a time
// with byte permutes instead of one pair at a time from memory. Lane l is blue, green, red,
// alpha. Made only when no sum of three entries can reach the 16-bit limits, so that plain
// sums equal the saturating ones, in any order: a constant chroma column is then added into
// the luma column of its lane once, here, and only the other chroma columns are looked up.
struct FastColumns {
    alignas(64) uint8_t planes[3][4][2][256];  // [luma, Cb, Cr][lane][low, high byte][index]
    // Per table and lane: -1 when not looked up (a constant: chroma folded into luma, luma
    // then the lane's constant), else the first lane with the same column.
    int8_t from[3][4];
    int16_t constant[4];  // a lane's luma plus folded chroma, when all three are constant
};
bool deriveFastColumns(const short (*luma)[4], const short (*cb)[4], const short (*cr)[4],
                       FastColumns& c);
// The fast path in 16-bit arithmetic, for tables of a matrix: each non-constant column is
// reproduced exactly over its 256 indices by
//   x = i * S + T,  column = mulhi(x, K) + (x < M) + C
// where mulhi is the high half of the 32-bit product and T, found by a search, puts the
// line's offset into the product. The (x < M) term takes tables that truncate toward zero:
// on the negative side of their line they sit one above the floor. Luma must be one column
// for blue, green and red; blue reads Cb, red Cr and green both, the other chroma columns
// and all of alpha being constants, which are folded. Made only when no sum can saturate,
// so the plain 16-bit sums equal the saturating ones.
struct FastForm {
    int16_t s, t, k, m;
    int c;
    bool above = false;  // the term is (x > M) instead
};
struct FastArith {
    FastForm luma, blue, red, greenCb, greenCr;  // blue, greenCb: Cb; red, greenCr: Cr
    int16_t add[4];  // added to blue, red, green-from-Cb and green-from-Cr words
    uint8_t alpha;
    // Blue and green-from-Cb share S and T, as do red and green-from-Cr, so that x is
    // computed once per chroma sample; blue and red then take (x < M), green (x > M).
    bool sharedChroma;
    // The AVX2 kernel's constants as it loads them, for one source layout: made once per
    // plan by prepareFastArithAvx2 rather than on every row.
    alignas(32) int16_t vectors[17][16];
};
bool deriveFastArith(const short (*luma)[4], const short (*cb)[4], const short (*cr)[4],
                     FastArith& f);
// One form at one index, as the kernels compute it.
int fastFormValue(const FastForm& f, int i);
// Whole pairs of "2vuy" or "yuy2" at step 1 or 2, blocks of eight; needs AVX2 and 8 pairs.
// At step 2 it reads the source pair after the last one it takes.
void prepareFastArithAvx2(const FastRowArgs& layout, FastArith& f);
void fastRowArithAvx2(const FastRowArgs& a, const FastArith& f);
// The same on arm64 (kernels_neon.cpp), "2vuy" or "yuy2" at step 1 or 2; needs 16 pairs. A
// plan with a multiplier of -32768 takes the scalar kernel. At step 2 it reads the source
// pair after the last one it takes.
void fastRowArithNeon(const FastRowArgs& a, const FastArith& f);

// Whole pairs of "2vuy" or "yuy2" at step 1 or 2 (others go to fastRowAvx2); needs AVX-512
// VBMI. At step 2 it reads the source pair after the last one it takes.
void fastRowAvx512(const FastRowArgs& a, const FastColumns& c);

// 8-bit 4:2:2 into a 4-byte 8-bit RGB layout through double terms interleaved in the
// destination's byte order: component = trunc(clamp(((luma + cr) + cb) + half, 0, 255)).
// A zero term adds exactly nothing (x + 0.0 == x up to the sign of zero, which the
// following + 0.5 erases), so each lane computes the very sums of the scalar formula.
// The alpha lane carries the alpha value in luma and zeros elsewhere, with half 0.
// Sized for 10-bit sources (1024 levels, sums up to 2046). The planar kernel then scales:
// component = trunc(clamp((((luma + cr) + cb) + half) * scale + half2, 0, 255)).
struct RgbTerms {
    alignas(32) double luma[1024][4];
    alignas(32) double cr[2047][4];
    alignas(32) double cb[2047][4];
    alignas(32) double half[4];
    alignas(32) double scale[4];
    alignas(32) double half2[4];
};
struct TermRowArgs {
    const uint8_t* src;
    uint8_t* dst;
    int pairs;  // source pairs in the row; the row is converted at equal width
    int yOff0, yOff1, uOff, vOff;
    // Second pixel of a pair: true reads the chroma tables at the sum of this and the next
    // pair's sample (fallback scaler), false at their rounded mean (table converter).
    bool sumIndex;
    const RgbTerms* terms;
};
void termRowScalar(const TermRowArgs& a);
void termRowAvx2(const TermRowArgs& a);

// The same from unpacked rows (10-bit sources): Y per pixel, U and V per pair.
struct PlanarRowArgs {
    const uint16_t* y;
    const uint16_t* u;
    const uint16_t* v;
    uint8_t* dst;
    int pairs;
    bool sumIndex;
    const RgbTerms* terms;
};
void planarRowScalar(const PlanarRowArgs& a);
void planarRowAvx2(const PlanarRowArgs& a);
// Unpacks width pixels of a 10-bit 4:2:2 row.
void unpackV210(const uint8_t* row, int width, uint16_t* y, uint16_t* u, uint16_t* v);
void unpackV210Avx2(const uint8_t* row, int width, uint16_t* y, uint16_t* u, uint16_t* v);
void unpackV210Vbmi(const uint8_t* row, int width, uint16_t* y, uint16_t* u, uint16_t* v);
bool cpuHasVbmi();  // byte permutes (AVX-512 VBMI) for unpacking

// The same rows in integer arithmetic, for term sets that are affine in their index (as
// tables made from a matrix are). Component c of a pixel is
//   X = ky[c] * Y + ku[c] * U + kv[c] * V + d[c],  value = X >> shift,
// with U, V the chroma indices the terms would be read at. X carries the error bound of
// the fixed-point form added in: when its fraction is below the component's guard, the
// integer value might differ from the double formula's, and that pixel is taken from the
// terms instead. So results always equal the terms formula bit for bit; the guards fire
// a few times per ten thousand pixels. Red reads no U and blue no V.
struct ArithCoeffs {
    int32_t ky[3], ku[3], kv[3], d[3];  // red, green, blue
    int shift;
    // Each component has its own guard, a power of two: guardMask[c] holds the fraction's
    // bits from there up, none set means below the guard.
    int32_t guardMask[3];
    // Red and blue, each of two indices, found exact over every pair of them at plan
    // time: only green's guard need be checked (the AVX2 kernel does).
    bool greenGuardOnly;
    bool sharedLuma;  // ky equal for the three components
    uint8_t alpha;    // the constant alpha byte
    int8_t slot[4];   // byte of red, green, blue, alpha in a pixel
    // Byte shuffle from R0-3 G0-3 B0-3 A0-3 of four pixels to the destination's order.
    int8_t order[16];
    // The same for 32 pixels in two-source byte permutes (AVX-512 VBMI): output bytes 64 h
    // to 64 h + 63 from the bytes the kernel packs its words into, red and green of both
    // pixels of pairs 0-15 (bytes 0-63), blue and alpha (64-127).
    uint8_t pick[2][64];
};
// Fills k for terms t of lumaLevels (256 or 1024) luma entries, chroma read by sum or by
// rounded mean; false when a term column is not affine or the range needs too many bits.
bool deriveArith(const RgbTerms& t, int lumaLevels, bool sumIndex, const int8_t slot[4],
                 ArithCoeffs& k);

struct ArithRowArgs {
    const uint8_t* src;  // 8-bit pairs; null for unpacked rows
    const uint16_t* y;   // unpacked rows: Y per pixel, U and V per pair, each with one
    const uint16_t* u;   // readable entry past the last pair
    const uint16_t* v;
    uint8_t* dst;
    int pairs;
    int yOff0, yOff1, uOff, vOff;
    bool sumIndex;
    const ArithCoeffs* k;
    const RgbTerms* terms;  // for guarded pixels and row ends
};
void arithRowAvx2(const ArithRowArgs& a);
void arithRowAvx512(const ArithRowArgs& a, bool vbmi);
void arithRowNeon(const ArithRowArgs& a);  // arm64

// 4-byte 8-bit RGB into another 4-byte order: dst byte i = src byte map[i].
void shuffleRowScalar(const uint8_t* src, uint8_t* dst, int pixels, const uint8_t map[4]);
void shuffleRowAvx2(const uint8_t* src, uint8_t* dst, int pixels, const uint8_t map[4]);

}  // namespace zu::detail
