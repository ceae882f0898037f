#include "comms/CommShared.h"

#include "common/Convert.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace zeva {

namespace {

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

void AppendDigits4(std::string& out, std::size_t value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(value % 10000));
    out.append(buf, 4);
}

// A 1-based position into the text as a 0-based index, or npos past the end.
std::size_t Index(std::string_view text, std::size_t pos) {
    return (pos >= 1 && pos <= text.size()) ? pos - 1 : std::string_view::npos;
}

// The value of four digits, or -1 when one of them is not a digit.
inline int Digits4(const char* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // All four bytes at once: digits become 0..9, and a byte of 10 or more gets its top bit from
    // the addition or from itself. A carry only comes out of a byte already marked, so it cannot
    // turn a refusal into a value.
    std::uint32_t v = 0;
    std::memcpy(&v, p, 4);
    const std::uint32_t x = v ^ 0x30303030u;
    if ((((x + 0x76767676u) | x) & 0x80808080u) != 0) return -1;
    const std::uint32_t pairs = (x * 10 + (x >> 8)) & 0x00FF00FFu; // d0d1 and d2d3
    return static_cast<int>((pairs & 0xFF) * 100 + (pairs >> 16));
#else
    const unsigned d0 = static_cast<unsigned char>(p[0]) - unsigned{'0'};
    const unsigned d1 = static_cast<unsigned char>(p[1]) - unsigned{'0'};
    const unsigned d2 = static_cast<unsigned char>(p[2]) - unsigned{'0'};
    const unsigned d3 = static_cast<unsigned char>(p[3]) - unsigned{'0'};
    if (d0 > 9 || d1 > 9 || d2 > 9 || d3 > 9) return -1;
    return static_cast<int>(d0 * 1000 + d1 * 100 + d2 * 10 + d3);
#endif
}

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

// ---- Number and date fields read in place ----

inline bool IsDigit(char c) {
    return static_cast<unsigned>(c - '0') <= 9;
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define ZEVA_SWAR_DIGITS 1
constexpr std::uint64_t kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Eight bytes as digit values: digits become 0..9. A byte of 10 or more gets the top bit of its
// byte in the answer's mask, from the addition or from itself; a carry out of a byte only reaches
// later bytes, so the first byte flagged is the first that is not a digit.
inline std::uint64_t DigitValues(const char* p, std::uint64_t& notDigits) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, 8);
    const std::uint64_t x = v ^ 0x3030303030303030;
    notDigits = ((x + 0x7676767676767676) | x) & 0x8080808080808080;
    return x;
}

// The number written by eight digit values, the first in the lowest byte (leading zeros for the
// bytes that are 0), added up in pairs, fours and eights.
inline std::uint64_t EightDigitValue(std::uint64_t d) {
    d = d * 10 + (d >> 8);
    return (((d & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
            (((d >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
           32;
}

// How many of the eight bytes at p are digits before the first other byte (8 when all are), and
// the value of those digits.
inline int LeadingDigits(const char* p, std::uint64_t& value) {
    std::uint64_t other = 0;
    const std::uint64_t x = DigitValues(p, other);
    const int k = other == 0 ? 8 : std::countr_zero(other) / 8;
    // The k digits moved to the top bytes: the bytes in front of them read as leading zeros.
    value = EightDigitValue(k == 8 ? x : k == 0 ? 0 : x << (8 * (8 - k)));
    return k;
}
#endif

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

// The decimal forms the writers send ([-]digits[.digits][E[sign]digits]) whose significant digits
// make a whole number of at most 2^53 and whose power of ten is within 22: the value is then one
// IEEE multiplication or division of two exact numbers, rounded once, exactly as the full
// conversion rounds. Reads from c up to the first byte that is not part of such a number and
// answers where it stopped; nullptr when the bytes do not make such a number (the general
// conversion decides those).
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

#if defined(ZEVA_SWAR_DIGITS)
// Whether the last count (1 to 8) of the eight bytes before end are all digits, and their value.
// Bytes in front of them may be anything: a carry out of one only makes the answer false, and
// then the general reader decides.
inline bool TrailingDigits(const char* end, int count, std::uint64_t& value) {
    std::uint64_t other = 0;
    const std::uint64_t x = DigitValues(end - 8, other);
    const std::uint64_t keep = ~std::uint64_t{0} << (8 * (8 - count)); // the last bytes are the top ones
    if ((other & keep) != 0) return false;
    value = EightDigitValue(x & keep);
    return true;
}
#endif

// The form the writers send for a date: 1 to 7 digits, then a point and the rest of 15 digits at
// most, or none. Read without loops to the same whole number and power of ten as PlainDecimal, so
// to the same value bit for bit. The field is [c, c + length), at most 16 bytes; the 8 bytes in
// front of c and the 8 from c on must be readable (every read stays within them and the field).
// False for any other form (PlainDecimal decides those).
inline bool WriterDate(const char* c, std::size_t length, double& value) {
#if defined(ZEVA_SWAR_DIGITS) && defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::uint64_t m = 0;
    const int whole = LeadingDigits(c, m);
    if (static_cast<std::size_t>(whole) == length && whole < 8) {
        value = static_cast<double>(m);
        return true;
    }
    if (whole == 0 || whole == 8 || c[whole] != '.') return false;
    const int fraction = static_cast<int>(length) - whole - 1;
    if (fraction < 1 || whole + fraction > 15) return false;
    const char* const end = c + length;
    std::uint64_t last = 0;
    std::uint64_t front = 0;
    if (fraction <= 8) {
        if (!TrailingDigits(end, fraction, last)) return false;
        m = m * kScale[fraction] + last;
    } else {
        if (!TrailingDigits(end, 8, last) || !TrailingDigits(end - 8, fraction - 8, front)) return false;
        m = (m * kScale[fraction - 8] + front) * kScale[8] + last;
    }
    // 15 digits at most: always under 2^53, so the division rounds once, as PlainDecimal's does.
    value = static_cast<double>(m) / kPow10[fraction];
    return true;
#else
    (void)c;
    (void)length;
    (void)value;
    return false;
#endif
}

// True when the 32 bytes at p are all '0': eight empty counted texts in a row.
inline bool ThirtyTwoZeros(const char* p) {
#if defined(__SSE2__)
    const __m128i zeros = _mm_set1_epi8('0');
    const __m128i a = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), zeros);
    const __m128i b = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), zeros);
    return _mm_movemask_epi8(_mm_and_si128(a, b)) == 0xFFFF;
#else
    for (int k = 0; k < 32; ++k)
        if (p[k] != '0') return false;
    return true;
#endif
}

// A date field in any form but the writers' usual one: the plain decimal forms in place, the rest
// through the general conversion. Kept out of line so the usual path stays small.
[[gnu::noinline]] bool OtherDate(std::string_view field, double& value) {
    const char* const end = field.data() + field.size();
    if (!field.empty() && PlainDecimal(field.data(), end, value) == end) return true;
    const auto general = ToDouble(field);
    if (!general) return false;
    value = *general;
    return true;
}

// Walks a packet text with a 0-based index; an index at or past the end reads empty fields, as the
// 1-based readers above do past the end. The plain forms every writer sends are read in place;
// anything else goes through the general conversions, which decide what converts.
class PacketCursor {
  public:
    PacketCursor(const char* s, std::size_t n, std::size_t i) : s_(s), n_(n), i_(i), tabsFrom_(i) {
#if defined(__SSE2__)
        // Where the TABs of the header are, found at once: each tab field's end is then known
        // without reading the field, and its value is read beside the rest instead of before it.
        if (i < n && n - i >= 64) {
            const __m128i tab = _mm_set1_epi8(kTab);
            std::uint64_t mask = 0;
            for (int k = 0; k < 4; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16 * k));
                mask |= static_cast<std::uint64_t>(
                            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab))))
                        << (16 * k);
            }
            tabs_ = mask;
        }
#endif
    }

    // Up to the next TAB (or the end); reading goes on after the TAB.
    std::string_view Tab() {
        if (i_ >= n_) return {};
        const char* const start = s_ + i_;
        std::size_t len = 0;
        const std::size_t known = i_ - tabsFrom_; // i_ never goes back
        if (known < 64 && (tabs_ >> known) != 0) {
            len = static_cast<std::size_t>(std::countr_zero(tabs_ >> known));
        } else {
            const void* tab = std::memchr(start, kTab, n_ - i_);
            len = tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - start) : n_ - i_;
        }
        i_ += len + 1;
        return {start, len};
    }
    bool Int16(std::int16_t& value) {
        const std::string_view field = Tab();
        if (field.size() == 1 && IsDigit(field[0])) { // the usual 0
            value = static_cast<std::int16_t>(field[0] - '0');
            return true;
        }
        // Up to five digits with an optional minus; other forms go to the general conversion.
        const bool negative = !field.empty() && field[0] == '-';
        const std::size_t count = field.size() - (negative ? 1 : 0);
        if (count >= 1 && count <= 5) {
            int v = 0;
            std::size_t k = negative ? 1 : 0;
            for (; k < field.size() && IsDigit(field[k]); ++k)
                v = v * 10 + (field[k] - '0');
            if (k == field.size()) {
                if (negative) v = -v;
                if (v < -32768 || v > 32767) return false;
                value = static_cast<std::int16_t>(v);
                return true;
            }
        }
        const auto v = ToInt16(field);
        if (!v) return false;
        value = *v;
        return true;
    }
    // Kept inline: as a call of its own it costs a tenth of the whole packet.
    [[gnu::always_inline]] bool Date(double& value) {
        const std::string_view field = Tab();
        double v = 0;
        if (field.size() == 1 && IsDigit(field[0])) { // the usual Expire of 0
            v = field[0] - '0';
        } else if (!(field.size() >= 2 && field.size() <= 16 && field.data() - s_ >= 8 &&
                     static_cast<std::size_t>(s_ + n_ - field.data()) >= 8 &&
                     WriterDate(field.data(), field.size(), v)) &&
                   !OtherDate(field, v)) {
            return false;
        }
        if (!IsValidOleDate(v)) return false;
        value = v;
        return true;
    }
    // A field that does not fit reads empty and ends the reading.
    std::string_view Counted() {
        if (i_ >= n_ || n_ - i_ < 4) {
            i_ = n_;
            return {};
        }
        const int length = Digits4(s_ + i_);
        if (length < 0 || n_ - i_ - 4 < static_cast<std::size_t>(length)) {
            i_ = n_;
            return {};
        }
        const std::string_view value(s_ + i_ + 4, static_cast<std::size_t>(length));
        i_ += 4 + static_cast<std::size_t>(length);
        return value;
    }
    // Eight counted texts in a row; the usual run of empty ones is passed in one step instead of
    // one length after the other.
    void CountedEight(std::array<std::string_view, 8>& values) {
        if (i_ < n_ && n_ - i_ >= 32 && ThirtyTwoZeros(s_ + i_)) {
            // Empty views at their place in the text: with a constant empty view the compiler
            // clears the array with a string store, which costs more than the rest of the packet.
            for (std::size_t k = 0; k < values.size(); ++k)
                values[k] = std::string_view(s_ + i_ + 4 * k + 4, 0);
            i_ += 32;
            return;
        }
        for (std::string_view& value : values)
            value = Counted();
    }
    std::string_view Fixed3() {
        if (i_ >= n_ || n_ - i_ < 3) {
            i_ = n_;
            return {};
        }
        const std::string_view value(s_ + i_, 3);
        i_ += 3;
        return value;
    }

  private:
    const char* s_;
    std::size_t n_;
    std::size_t i_;
    std::size_t tabsFrom_;
    std::uint64_t tabs_ = 0; // bit k: a TAB at tabsFrom_ + k (none known when the text is short)
};

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

std::int16_t PacketChecksum(std::string_view text) {
    // Summing modulo 10000 after each addition is the same as one modulo at the end; a 64-bit sum
    // cannot overflow for any text in memory.
    return static_cast<std::int16_t>(SumBytes(text.data(), text.size()) % 10000);
}

void AppendNumber(std::string& out, long long value) {
    out += IntText(value);
    out += kTab;
}

void AppendDate(std::string& out, double value) {
    out += DoubleText(value);
    out += kTab;
}

bool AppendCounted(std::string& out, std::string_view text) {
    if (text.size() > kMaxCountedText) return false;
    AppendDigits4(out, text.size());
    out.append(text);
    return true;
}

void AppendFixed3(std::string& out, std::string_view text) {
    std::string fixed(text.substr(0, 3));
    fixed.resize(3, ' ');
    out += fixed;
}

bool IsValidOleDate(double value) {
    // 0100-01-01 to 9999-12-31 23:59:59, the date-time range the other modules accept.
    return std::isfinite(value) && value >= -657434.0 && value < 2958466.0;
}

std::size_t PacketTextLength(const CommType& p) {
    // Check digits, Source and Destination, the four TABs of the number and date fields, SOH.
    std::size_t total = 4 + 3 + 3 + 4 + 1;
    total += IntText(p.Number1).size() + IntText(p.Number2).size();
    total += DoubleText(p.Created).size() + DoubleText(p.Expire).size();
    for (const std::string* t : {&p.Text0, &p.PacketType, &p.Data, &p.Text1, &p.Text2, &p.Text3, &p.Text4,
                                 &p.Text5, &p.Text6, &p.Text7, &p.Text8}) {
        if (t->size() > kMaxCountedText) return 0;
        total += 4 + t->size(); // each counted text: four length digits and the text
    }
    return total;
}

bool PacketFits(const CommType& p) {
    const std::size_t length = PacketTextLength(p);
    return length != 0 && length <= kMaxPacketLength;
}

bool BuildPacket(const CommType& p, std::string& out) {
    out.clear();
    // One size rule for the builder and for Send's check at the door.
    if (!PacketFits(p)) return false;
    std::string body;
    body.reserve(64 + p.Text0.size() + p.PacketType.size() + p.Data.size());
    AppendNumber(body, p.Number1);
    AppendCounted(body, p.Text0);
    AppendNumber(body, p.Number2);
    AppendFixed3(body, p.Source);
    AppendFixed3(body, p.Destination);
    AppendDate(body, p.Created);
    AppendDate(body, p.Expire);
    for (const std::string* t : {&p.PacketType, &p.Data, &p.Text1, &p.Text2, &p.Text3, &p.Text4, &p.Text5,
                                 &p.Text6, &p.Text7, &p.Text8})
        AppendCounted(body, *t);
    body += kSOH;
    out.reserve(body.size() + 4);
    AppendDigits4(out, static_cast<std::size_t>(PacketChecksum(body)));
    out += body;
    return true;
}

void ReadTabField(std::string_view text, std::size_t pos, std::string& value, std::size_t& end) {
    std::size_t i = Index(text, pos);
    if (i == std::string_view::npos) {
        value.clear();
        end = text.size();
        return;
    }
    std::size_t tab = text.find(kTab, i);
    if (tab == std::string_view::npos) {
        value.assign(text.substr(i));
        end = text.size();
    } else {
        value.assign(text.substr(i, tab - i));
        end = tab + 1;
    }
}

void ReadCountedField(std::string_view text, std::size_t pos, std::string& value, std::size_t& end) {
    value.clear();
    end = text.size();
    std::size_t i = Index(text, pos);
    if (i == std::string_view::npos || text.size() - i < 4) return;
    std::string_view digits = text.substr(i, 4);
    if (!AllDigits(digits)) return;
    std::size_t length = static_cast<std::size_t>((digits[0] - '0') * 1000 + (digits[1] - '0') * 100 +
                                                  (digits[2] - '0') * 10 + (digits[3] - '0'));
    if (text.size() - i - 4 < length) return;
    value.assign(text.substr(i + 4, length));
    end = pos + 3 + length;
}

void ReadFixedField(std::string_view text, std::size_t pos, std::size_t count, std::string& value,
                    std::size_t& end) {
    value.clear();
    end = text.size();
    std::size_t i = Index(text, pos);
    if (i == std::string_view::npos || text.size() - i < count) return;
    value.assign(text.substr(i, count));
    end = pos + count - 1;
}

namespace {

// Reads the fields of a packet whose check is right; every field of p is set (a number or date that
// does not convert reads 0).
bool ParseFields(std::string_view text, PacketView& p) {
    // Every packet the hub and the clients write starts alike: Number1 0, Text0 empty, Number2 0.
    // That start is taken in one comparison; any other is read field by field.
    constexpr std::string_view kUsualStart = "0\t00000\t";
    constexpr std::size_t kAfterUsualStart = 4 + kUsualStart.size();
    const bool usual =
        text.size() >= kAfterUsualStart + 6 && text.substr(4, kUsualStart.size()) == kUsualStart;
    PacketCursor c(text.data(), text.size(), usual ? kAfterUsualStart + 6 : 4);
    p.Number1 = 0;
    p.Number2 = 0;
    p.Created = 0.0;
    p.Expire = 0.0;
    bool ok = true;
    if (usual) {
        p.Text0 = text.substr(10, 0);
        p.Source = text.substr(kAfterUsualStart, 3);
        p.Destination = text.substr(kAfterUsualStart + 3, 3);
    } else {
        ok = c.Int16(p.Number1);
        p.Text0 = c.Counted();
        ok = c.Int16(p.Number2) && ok;
        p.Source = c.Fixed3();
        p.Destination = c.Fixed3();
    }
    ok = c.Date(p.Created) && ok;
    ok = c.Date(p.Expire) && ok;
    p.PacketType = c.Counted();
    p.Data = c.Counted();
    c.CountedEight(p.Texts);
    return ok;
}

// The check digits against the sum of the bytes after them.
bool CheckMatches(std::string_view text, std::uint64_t bodySum) {
    const int check = Digits4(text.data());
    return check >= 0 && static_cast<std::uint64_t>(check) == bodySum % 10000;
}

// target = value, without a call into the library when the length stays (packet after packet the
// same source, destination and type) or the text is empty.
inline void Assign(std::string& target, std::string_view value) {
    if (value.size() == target.size()) {
        if (!value.empty()) std::memmove(target.data(), value.data(), value.size());
    } else if (value.empty()) {
        target.clear();
    } else {
        target.assign(value);
    }
}

} // namespace

void PacketView::CopyTo(CommType& p) const {
    p.Number1 = Number1;
    Assign(p.Text0, Text0);
    p.Number2 = Number2;
    Assign(p.Source, Source);
    Assign(p.Destination, Destination);
    p.Created = Created;
    p.Expire = Expire;
    Assign(p.PacketType, PacketType);
    Assign(p.Data, Data);
    std::string* const texts[] = {&p.Text1, &p.Text2, &p.Text3, &p.Text4,
                                  &p.Text5, &p.Text6, &p.Text7, &p.Text8};
    for (std::size_t k = 0; k < Texts.size(); ++k)
        Assign(*texts[k], Texts[k]);
}

bool ParsePacket(std::string_view text, PacketView& p) {
    if (text.size() > kMaxPacketLength) text = text.substr(0, kMaxPacketLength);
    if (text.size() < 4 || !CheckMatches(text, SumBytes(text.data() + 4, text.size() - 4))) {
        p = {};
        return false;
    }
    return ParseFields(text, p);
}

bool ParsePacket(std::string_view text, std::uint64_t byteSum, PacketView& p) {
    // A packet the reader cuts is checked on what is left of it, which the framer did not add up.
    if (text.size() > kMaxPacketLength) return ParsePacket(text, p);
    if (text.size() < 4 ||
        !CheckMatches(
            text, byteSum - (static_cast<unsigned char>(text[0]) + static_cast<unsigned char>(text[1]) +
                             static_cast<unsigned char>(text[2]) + static_cast<unsigned char>(text[3])))) {
        p = {};
        return false;
    }
    return ParseFields(text, p);
}

bool PacketCheckMatches(std::string_view text) {
    if (text.size() > kMaxPacketLength) text = text.substr(0, kMaxPacketLength);
    return text.size() >= 4 && CheckMatches(text, SumBytes(text.data() + 4, text.size() - 4));
}

bool ParsePacket(std::string_view text, CommType& p) {
    PacketView view;
    const bool ok = ParsePacket(text, view);
    view.CopyTo(p);
    return ok;
}

bool ParsePacket(std::string_view text, std::uint64_t byteSum, CommType& p) {
    PacketView view;
    const bool ok = ParsePacket(text, byteSum, view);
    view.CopyTo(p);
    return ok;
}

std::string ControlDataText(std::int16_t code) {
    switch (code) {
    case kPktServerDisconnect:
        return "Requesting Logoff ... (Server Disconnection Request)";
    case kPktClientDisconnect:
        return "Requesting Logoff ... (Client Disconnection Request/Ack)";
    case kPktKillRequest:
        return "KILL Request next packet";
    case kPktBufferEmpty:
        return "Buffer Emtpy token (Nothing to Receive)";
    case kPktRequestNext:
        return "Request next packet";
    case kPktWatchdog:
        return "Commclass System WatchDog (Level 1) ....";
    default:
        return {};
    }
}

} // namespace zeva
