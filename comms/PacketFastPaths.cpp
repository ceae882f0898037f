#include "comms/PacketFastPaths.h"

#include <algorithm>

namespace zeva {

namespace {

// ---- Byte sums and the packet end ----
//
// The check and the framing each look at every byte of a packet, so both run 16 or 32 bytes at a
// time: psadbw adds each 8 bytes into a 64-bit lane, pcmpeqb finds SOH. SSE2 is part of every
// x86-64; the AVX2 forms are compiled for that instruction set alone and taken when the processor
// has it. Other machines add byte by byte.

std::uint64_t SumBytesScalar(const unsigned char* p, std::size_t n) {
    std::uint64_t sum = 0;
    for (; n > 0; --n, ++p)
        sum += *p;
    return sum;
}

std::size_t FindSohScalar(const unsigned char* p, std::size_t n, std::uint64_t& sum) {
    for (std::size_t i = 0; i < n; ++i) {
        sum += p[i];
        if (p[i] == static_cast<unsigned char>(kSOH)) return i;
    }
    return n;
}

void CopyAndFrameScalar(char* dest, const unsigned char* p, std::size_t n, std::size_t base,
                        std::uint64_t& carry, std::vector<PacketEnd>& ends) {
    std::uint64_t sum = carry;
    for (std::size_t i = 0; i < n; ++i) {
        dest[i] = static_cast<char>(p[i]);
        sum += p[i];
        if (p[i] == static_cast<unsigned char>(kSOH)) {
            ends.push_back({base + i + 1, sum, true});
            sum = 0;
        }
    }
    carry = sum;
}

#if defined(__SSE2__)
// Masks read at an offset: kMask + 64 - k keeps the first k bytes of a block, kMask + 32 + k - w
// the last k of a block of w bytes.
struct MaskTable {
    alignas(32) unsigned char bytes[96]; // 32 zeros, 32 x 0xFF, 32 zeros
};
constexpr MaskTable MakeMaskTable() {
    MaskTable t{};
    for (int i = 32; i < 64; ++i)
        t.bytes[i] = 0xFF;
    return t;
}
constexpr MaskTable kMaskTable = MakeMaskTable();
constexpr const unsigned char* kMask = kMaskTable.bytes;

inline __m128i Load16(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

inline std::uint64_t Fold(__m128i acc) {
    alignas(16) std::uint64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
    return lanes[0] + lanes[1];
}

std::uint64_t SumBytesSse2(const unsigned char* p, std::size_t n) {
    if (n < 16) return SumBytesScalar(p, n);
    const unsigned char* const end = p + n;
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero;
    __m128i b = zero;
    for (; n >= 32; n -= 32, p += 32) {
        a = _mm_add_epi64(a, _mm_sad_epu8(Load16(p), zero));
        b = _mm_add_epi64(b, _mm_sad_epu8(Load16(p + 16), zero));
    }
    if (n >= 16) {
        a = _mm_add_epi64(a, _mm_sad_epu8(Load16(p), zero));
        n -= 16;
    }
    if (n > 0) // the last 16 bytes with the ones already added masked off; nothing read outside
        b = _mm_add_epi64(b, _mm_sad_epu8(_mm_and_si128(Load16(end - 16), Load16(kMask + 16 + n)), zero));
    return Fold(_mm_add_epi64(a, b));
}

std::size_t FindSohSse2(const unsigned char* p, std::size_t n, std::uint64_t& sum) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i soh = _mm_set1_epi8(kSOH);
    __m128i acc = zero;
    std::size_t i = 0;
    for (; n - i >= 16; i += 16) {
        const __m128i v = Load16(p + i);
        const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, soh)));
        if (hits != 0) {
            const int k = std::countr_zero(hits); // bytes up to and including the SOH
            acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_and_si128(v, Load16(kMask + 64 - (k + 1))), zero));
            sum += Fold(acc);
            return i + static_cast<std::size_t>(k);
        }
        acc = _mm_add_epi64(acc, _mm_sad_epu8(v, zero));
    }
    sum += Fold(acc);
    return i + FindSohScalar(p + i, n - i, sum);
}

void CopyAndFrameSse2(char* dest, const unsigned char* p, std::size_t n, std::size_t base,
                      std::uint64_t& carry, std::vector<PacketEnd>& ends) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i soh = _mm_set1_epi8(kSOH);
    std::uint64_t sum = carry; // what the vector lanes do not hold yet
    __m128i acc = zero;
    std::size_t i = 0;
    for (; n - i >= 16; i += 16) {
        const __m128i v = Load16(p + i);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), v);
        unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, soh)));
        if (hits == 0) {
            acc = _mm_add_epi64(acc, _mm_sad_epu8(v, zero));
            continue;
        }
        int from = 0; // first byte of the current packet in this block
        do {
            const int k = std::countr_zero(hits);
            const __m128i mask = _mm_andnot_si128(Load16(kMask + 64 - from), Load16(kMask + 64 - (k + 1)));
            acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_and_si128(v, mask), zero));
            ends.push_back({base + i + static_cast<std::size_t>(k) + 1, sum + Fold(acc), true});
            sum = 0;
            acc = zero;
            from = k + 1;
            hits &= hits - 1;
        } while (hits != 0);
        acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_andnot_si128(Load16(kMask + 64 - from), v), zero));
    }
    carry = sum + Fold(acc);
    CopyAndFrameScalar(dest + i, p + i, n - i, base + i, carry, ends);
}
#endif

#if defined(__SSE2__) && defined(__x86_64__) && defined(__GNUC__) && !defined(ZEVA_NO_AVX2)
#define ZEVA_AVX2_DISPATCH 1

__attribute__((target("avx2"))) inline __m256i Load32(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline __m128i Half(__m256i acc) {
    return _mm_add_epi64(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
}

__attribute__((target("avx2"))) std::uint64_t SumBytesAvx2(const unsigned char* p, std::size_t n) {
    if (n < 32) return SumBytesSse2(p, n);
    const unsigned char* const end = p + n;
    const __m256i zero = _mm256_setzero_si256();
    __m256i a = zero;
    __m256i b = zero;
    for (; n >= 64; n -= 64, p += 64) {
        a = _mm256_add_epi64(a, _mm256_sad_epu8(Load32(p), zero));
        b = _mm256_add_epi64(b, _mm256_sad_epu8(Load32(p + 32), zero));
    }
    if (n >= 32) {
        a = _mm256_add_epi64(a, _mm256_sad_epu8(Load32(p), zero));
        n -= 32;
    }
    if (n > 0)
        b = _mm256_add_epi64(b, _mm256_sad_epu8(_mm256_and_si256(Load32(end - 32), Load32(kMask + n)), zero));
    return Fold(Half(_mm256_add_epi64(a, b)));
}

__attribute__((target("avx2"))) std::size_t FindSohAvx2(const unsigned char* p, std::size_t n,
                                                        std::uint64_t& sum) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i soh = _mm256_set1_epi8(kSOH);
    __m256i a = zero;
    __m256i b = zero;
    std::size_t i = 0;
    // 64 bytes a round while no SOH is among them, then 32 at a time up to the SOH.
    for (; n - i >= 64; i += 64) {
        const __m256i v0 = Load32(p + i);
        const __m256i v1 = Load32(p + i + 32);
        if (!_mm256_testz_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v0, soh), _mm256_cmpeq_epi8(v1, soh)),
                                _mm256_set1_epi8(-1)))
            break;
        a = _mm256_add_epi64(a, _mm256_sad_epu8(v0, zero));
        b = _mm256_add_epi64(b, _mm256_sad_epu8(v1, zero));
    }
    for (; n - i >= 32; i += 32) {
        const __m256i v = Load32(p + i);
        const unsigned hits = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, soh)));
        if (hits != 0) {
            const int k = std::countr_zero(hits);
            a = _mm256_add_epi64(a, _mm256_sad_epu8(_mm256_and_si256(v, Load32(kMask + 64 - (k + 1))), zero));
            sum += Fold(Half(_mm256_add_epi64(a, b)));
            return i + static_cast<std::size_t>(k);
        }
        a = _mm256_add_epi64(a, _mm256_sad_epu8(v, zero));
    }
    sum += Fold(Half(_mm256_add_epi64(a, b)));
    return i + FindSohSse2(p + i, n - i, sum);
}

__attribute__((target("avx2"))) void CopyAndFrameAvx2(char* dest, const unsigned char* p, std::size_t n,
                                                      std::size_t base, std::uint64_t& carry,
                                                      std::vector<PacketEnd>& ends) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i soh = _mm256_set1_epi8(kSOH);
    std::uint64_t sum = carry;
    __m256i acc = zero;
    std::size_t i = 0;
    // 64 bytes a round while no SOH is among them (most of a packet); the 32 bytes that hold one
    // are taken on their own.
    __m256i acc2 = zero;
    for (;;) {
        for (; n - i >= 64; i += 64) {
            const __m256i v0 = Load32(p + i);
            const __m256i v1 = Load32(p + i + 32);
            if (!_mm256_testz_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v0, soh), _mm256_cmpeq_epi8(v1, soh)),
                                    _mm256_set1_epi8(-1)))
                break;
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), v0);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i + 32), v1);
            acc = _mm256_add_epi64(acc, _mm256_sad_epu8(v0, zero));
            acc2 = _mm256_add_epi64(acc2, _mm256_sad_epu8(v1, zero));
        }
        if (n - i < 32) break;
        const __m256i v = Load32(p + i);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), v);
        unsigned hits = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, soh)));
        int from = 0; // first byte of the current packet in this block
        while (hits != 0) {
            const int k = std::countr_zero(hits);
            const __m256i mask = _mm256_andnot_si256(Load32(kMask + 64 - from), Load32(kMask + 64 - (k + 1)));
            acc = _mm256_add_epi64(_mm256_add_epi64(acc, acc2),
                                   _mm256_sad_epu8(_mm256_and_si256(v, mask), zero));
            ends.push_back({base + i + static_cast<std::size_t>(k) + 1, sum + Fold(Half(acc)), true});
            sum = 0;
            acc = zero;
            acc2 = zero;
            from = k + 1;
            hits &= hits - 1;
        }
        acc = _mm256_add_epi64(acc, _mm256_sad_epu8(_mm256_andnot_si256(Load32(kMask + 64 - from), v), zero));
        i += 32;
    }
    acc = _mm256_add_epi64(acc, acc2);
    carry = sum + Fold(Half(acc));
    CopyAndFrameSse2(dest + i, p + i, n - i, base + i, carry, ends);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

} // namespace

std::size_t FindPacketEnd(std::string_view bytes, std::uint64_t& byteSum) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
#if defined(ZEVA_AVX2_DISPATCH)
    if (HasAvx2()) return FindSohAvx2(p, bytes.size(), byteSum);
#endif
#if defined(__SSE2__)
    return FindSohSse2(p, bytes.size(), byteSum);
#else
    return FindSohScalar(p, bytes.size(), byteSum);
#endif
}

void CopyAndFrame(char* dest, std::string_view bytes, std::size_t base, std::uint64_t& carry,
                  std::vector<PacketEnd>& ends) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
#if defined(ZEVA_AVX2_DISPATCH)
    if (HasAvx2()) return CopyAndFrameAvx2(dest, p, bytes.size(), base, carry, ends);
#endif
#if defined(__SSE2__)
    return CopyAndFrameSse2(dest, p, bytes.size(), base, carry, ends);
#else
    return CopyAndFrameScalar(dest, p, bytes.size(), base, carry, ends);
#endif
}

namespace fastpath {

namespace {

// The run of digits at c (up to e) appended to m, eight bytes at a time while eight are left;
// answers where the run ends. m wraps when the run is too long for it: the caller counts digits.
inline const char* DigitRun(const char* c, const char* const e, std::uint64_t& m) {
#if defined(ZEVA_SWAR_DIGITS)
    while (e - c >= 8) {
        std::uint64_t d = 0;
        const int k = LeadingDigits(c, d);
        m = m * kScale[k] + d;
        c += k;
        if (k < 8) return c;
    }
#endif
    for (; c != e && IsDigit(*c); ++c)
        m = m * 10 + static_cast<unsigned>(*c - '0');
    return c;
}

} // namespace

std::uint64_t SumBytes(const char* text, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
#if defined(ZEVA_AVX2_DISPATCH)
    if (HasAvx2()) return SumBytesAvx2(p, n);
#endif
#if defined(__SSE2__)
    return SumBytesSse2(p, n);
#else
    return SumBytesScalar(p, n);
#endif
}

const char* PlainDecimal(const char* c, const char* const e, double& value) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = c != e && *c == '-';
    if (negative) ++c;
    const char* const start = c;
    // Leading zeros count no significant digit; at most 19 others fit m (a longer run wraps it
    // harmlessly and is refused below).
    while (c != e && *c == '0')
        ++c;
    const char* const first = c;
    std::uint64_t m = 0;
    c = DigitRun(c, e, m);
    std::ptrdiff_t significant = c - first;
    bool any = c != start;
    int scale = 0;
    if (c != e && *c == '.') {
        const char* const fraction = ++c;
        if (m == 0)
            while (c != e && *c == '0')
                ++c;
        const char* const from = c;
        c = DigitRun(c, e, m);
        significant += c - from;
        any = any || c != fraction;
        scale = -static_cast<int>(std::min<std::ptrdiff_t>(c - fraction, 10000));
    }
    if (!any || significant > 19) return nullptr;
    if (c != e && (*c == 'E' || *c == 'e')) {
        ++c;
        const bool expNegative = c != e && *c == '-';
        if (c != e && (*c == '-' || *c == '+')) ++c;
        int exp = 0;
        int expDigits = 0;
        for (; c != e && static_cast<unsigned>(*c - '0') <= 9; ++c) {
            if (++expDigits > 4) return nullptr;
            exp = exp * 10 + (*c - '0');
        }
        if (expDigits == 0) return nullptr;
        scale += expNegative ? -exp : exp;
    }
    if (m > (std::uint64_t{1} << 53) || scale < -22 || scale > 22) return nullptr;
    double v = static_cast<double>(m);
    v = scale < 0 ? v / kPow10[-scale] : v * kPow10[scale];
    value = negative ? -v : v;
    return c;
#else
    (void)c;
    (void)e;
    (void)value;
    return nullptr; // extended precision would round twice
#endif
}

} // namespace fastpath
} // namespace zeva
