#pragma once
// The packet paths that look at every byte, written for speed: the byte sums of the check and the
// SOH search of the framing (SSE2, AVX2 where the processor has it), the digits of lengths and
// dates read eight bytes at a time in a 64-bit word, and a decimal reader for the plain number
// forms every writer sends.
//
// Why they exist: the hub pushes records back to back, and every byte of every packet is added up
// for its check, searched for SOH and, in the header, converted. Framing and parsing 4 MB of
// packets took 1.86 ms (0.04 of a plain memchr scan of the same bytes) when everything was read
// byte by byte and copied; framing in place, reading fields as views and these paths brought it to
// about 0.24 ms (0.30 of the scan). bench_comms (bench/comms, measured on a Release build) holds
// them to it; its figures, machine, date and command are in docs/PERFORMANCE.md, "Hub link: framing
// and parsing". Each path answers exactly what the plain code answers: the PacketCodec tests read
// 3,000 dates against the general conversion bit for bit, and fuzz_comms_stream does the same with
// any bytes. Change one only with the benchmark run before and after.
//
// The inline helpers below are for the packet reader (PacketCodec.cpp), which reads them in its
// usual path without a call.

#include "comms/PacketCodec.h"

#include <bit>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace zeva {

// Position of the first SOH in bytes (bytes.size() when there is none). Adds every byte up to it,
// the SOH included (all of them when there is none), to byteSum.
std::size_t FindPacketEnd(std::string_view bytes, std::uint64_t& byteSum);
// A packet end found while copying received bytes: the offset just past its SOH, and the sum of the
// packet's bytes when it is known.
struct PacketEnd {
    std::size_t end = 0;
    std::uint64_t byteSum = 0;
    bool sumKnown = true;
};
// Copies bytes to dest and finds the packet ends among them in the same pass. Each SOH adds an
// end: its offset in bytes + 1 + base, and carry plus the bytes since the previous SOH (the SOH
// included). carry comes back as the sum of the bytes after the last SOH.
void CopyAndFrame(char* dest, std::string_view bytes, std::size_t base, std::uint64_t& carry,
                  std::vector<PacketEnd>& ends);

namespace fastpath {

// The sum of the n bytes at text (each byte 0 to 255).
std::uint64_t SumBytes(const char* text, std::size_t n);

// The decimal forms the writers send ([-]digits[.digits][E[sign]digits]) whose significant digits
// make a whole number of at most 2^53 and whose power of ten is within 22: the value is then one
// IEEE multiplication or division of two exact numbers, rounded once, exactly as the full
// conversion rounds. Reads from c up to the first byte that is not part of such a number and
// answers where it stopped; nullptr when the bytes do not make such a number (the general
// conversion decides those).
const char* PlainDecimal(const char* c, const char* const e, double& value);

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

inline bool IsDigit(char c) {
    return static_cast<unsigned>(c - '0') <= 9;
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define ZEVA_SWAR_DIGITS 1
inline constexpr std::uint64_t kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

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

// Bit k set when byte k of the 64 at p is a TAB (0 where there is no SSE2: the caller then finds
// each TAB itself).
inline std::uint64_t TabsIn64(const char* p) {
#if defined(__SSE2__)
    const __m128i tab = _mm_set1_epi8(kTab);
    std::uint64_t mask = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab))))
                << (16 * k);
    }
    return mask;
#else
    (void)p;
    return 0;
#endif
}

} // namespace fastpath
} // namespace zeva
