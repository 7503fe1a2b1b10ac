#include "media/formats/bgrtoi420.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

using Byte = std::uint8_t;

// Eight-bit fixed point: the same figures on both paths, so they agree to
// the bit.
inline Byte Luma(unsigned b, unsigned g, unsigned r) { return static_cast<Byte>((66 * r + 129 * g + 25 * b + 4224) >> 8); }
inline Byte ChromaU(int b, int g, int r) { return static_cast<Byte>((-38 * r - 74 * g + 112 * b + 32896) >> 8); }
inline Byte ChromaV(int b, int g, int r) { return static_cast<Byte>((112 * r - 94 * g - 18 * b + 32896) >> 8); }

// Two picture rows `a` and `b` (the same row for an odd last one) from column
// `from`: their luma, and one chroma row from both.
void RowsPlain(const Byte* a, const Byte* b, int from, int width, Byte* ya, Byte* yb, Byte* u, Byte* v) {
  for (int x = from; x < width; x += 2) {
    const int x1 = x + 1 < width ? x + 1 : x;
    const Byte *p = a + 3 * x, *q = a + 3 * x1, *s = b + 3 * x, *t = b + 3 * x1;
    ya[x] = Luma(p[0], p[1], p[2]);
    ya[x1] = Luma(q[0], q[1], q[2]);
    yb[x] = Luma(s[0], s[1], s[2]);
    yb[x1] = Luma(t[0], t[1], t[2]);
    const int blue = (p[0] + q[0] + s[0] + t[0] + 2) >> 2;
    const int green = (p[1] + q[1] + s[1] + t[1] + 2) >> 2;
    const int red = (p[2] + q[2] + s[2] + t[2] + 2) >> 2;
    u[x / 2] = ChromaU(blue, green, red);
    v[x / 2] = ChromaV(blue, green, red);
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Eight pixels as three vectors of 16-bit blue, green and red.
struct TEight {
  __m128i b, g, r;
};

__attribute__((target("ssse3"))) inline __m128i Pick(__m128i low, __m128i high, __m128i fromLow, __m128i fromHigh) {
  return _mm_or_si128(_mm_shuffle_epi8(low, fromLow), _mm_shuffle_epi8(high, fromHigh));
}

// Reads exactly the 24 bytes of the eight pixels.
__attribute__((target("ssse3"))) inline TEight LoadEight(const Byte* p) {
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));       // bytes 0–15
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));  // bytes 8–23
  return {Pick(low, high, _mm_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 12, -1, 15, -1, -1, -1, -1, -1),
               _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 10, -1, 13, -1)),
          Pick(low, high, _mm_setr_epi8(1, -1, 4, -1, 7, -1, 10, -1, 13, -1, -1, -1, -1, -1, -1, -1),
               _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 8, -1, 11, -1, 14, -1)),
          Pick(low, high, _mm_setr_epi8(2, -1, 5, -1, 8, -1, 11, -1, 14, -1, -1, -1, -1, -1, -1, -1),
               _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 9, -1, 12, -1, 15, -1))};
}

// The sums stay below 65536, so 16-bit lanes hold them.
__attribute__((target("ssse3"))) inline __m128i LumaEight(const TEight& p) {
  __m128i sum = _mm_add_epi16(_mm_mullo_epi16(p.r, _mm_set1_epi16(66)), _mm_mullo_epi16(p.g, _mm_set1_epi16(129)));
  sum = _mm_add_epi16(sum, _mm_add_epi16(_mm_mullo_epi16(p.b, _mm_set1_epi16(25)), _mm_set1_epi16(4224)));
  return _mm_srli_epi16(sum, 8);
}

// The rounded averages of the 2×2 blocks of sixteen columns on two rows.
__attribute__((target("ssse3"))) inline __m128i Average(__m128i a0, __m128i a1, __m128i b0, __m128i b1) {
  const __m128i pairs = _mm_hadd_epi16(_mm_add_epi16(a0, b0), _mm_add_epi16(a1, b1));
  return _mm_srli_epi16(_mm_add_epi16(pairs, _mm_set1_epi16(2)), 2);
}

// Chroma figures wrap round in 16 bits but end between 0 and 65535, so the
// logical shift gives the plain path's result.
__attribute__((target("ssse3"))) inline __m128i Chroma(__m128i plus, short plusFactor, __m128i minus1, short factor1,
                                                       __m128i minus2, short factor2) {
  __m128i sum = _mm_add_epi16(_mm_mullo_epi16(plus, _mm_set1_epi16(plusFactor)),
                              _mm_set1_epi16(static_cast<short>(32896)));
  sum = _mm_sub_epi16(sum, _mm_add_epi16(_mm_mullo_epi16(minus1, _mm_set1_epi16(factor1)),
                                         _mm_mullo_epi16(minus2, _mm_set1_epi16(factor2))));
  return _mm_packus_epi16(_mm_srli_epi16(sum, 8), _mm_setzero_si128());
}

__attribute__((target("ssse3"))) void RowsShuffled(const Byte* a, const Byte* b, int width, Byte* ya, Byte* yb,
                                                   Byte* u, Byte* v) {
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const TEight a0 = LoadEight(a + 3 * x), a1 = LoadEight(a + 3 * x + 24);
    const TEight b0 = LoadEight(b + 3 * x), b1 = LoadEight(b + 3 * x + 24);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(ya + x), _mm_packus_epi16(LumaEight(a0), LumaEight(a1)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(yb + x), _mm_packus_epi16(LumaEight(b0), LumaEight(b1)));
    const __m128i blue = Average(a0.b, a1.b, b0.b, b1.b);
    const __m128i green = Average(a0.g, a1.g, b0.g, b1.g);
    const __m128i red = Average(a0.r, a1.r, b0.r, b1.r);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(u + x / 2), Chroma(blue, 112, red, 38, green, 74));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(v + x / 2), Chroma(red, 112, green, 94, blue, 18));
  }
  RowsPlain(a, b, x, width, ya, yb, u, v);
}
#endif

using RowsFunction = void (*)(const Byte*, const Byte*, int, Byte*, Byte*, Byte*, Byte*);

void RowsPlainFromStart(const Byte* a, const Byte* b, int width, Byte* ya, Byte* yb, Byte* u, Byte* v) {
  RowsPlain(a, b, 0, width, ya, yb, u, v);
}

RowsFunction ChooseRows() {
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("ssse3")) return RowsShuffled;
#endif
  return RowsPlainFromStart;
}

}  // namespace

void BgrToI420(const TImageView& picture, const TI420Planes& planes, bool interlaced) {
  const RowsFunction rows = ChooseRows();
  const int height = picture.height;
  const auto lumaRow = [&](int y) { return planes.y + static_cast<std::ptrdiff_t>(y) * planes.yStride; };
  const auto convert = [&](int first, int second, int chromaRow) {
    rows(picture.row(first), picture.row(second), picture.width, lumaRow(first), lumaRow(second),
         planes.u + static_cast<std::ptrdiff_t>(chromaRow) * planes.uStride,
         planes.v + static_cast<std::ptrdiff_t>(chromaRow) * planes.vStride);
  };
  int y = 0;
  // Four rows make two chroma rows: rows 0 and 2 the first (top field), 1
  // and 3 the second.
  if (interlaced)
    for (; y + 4 <= height; y += 4) {
      convert(y, y + 2, y / 2);
      convert(y + 1, y + 3, y / 2 + 1);
    }
  for (; y < height; y += 2) convert(y, y + 1 < height ? y + 1 : y, y / 2);
}
