// SPDX-License-Identifier: MIT
// CRC-16 by carry-less multiplication (PCLMULQDQ), for processors that have
// it. The data is folded 64 bytes at a time into four 128-bit remainders,
// which are then folded into one; its 16 bytes and the tail go through the
// byte tables.
//
// In the reflected bit order the CRC uses, the first bit of the data is the
// highest power of x. A 128-bit register holds a polynomial of degree < 128
// with bit k the coefficient of x^(127 - k); its low 64-bit lane is the
// upper half. Carry-less multiplication of two such 64-bit lanes gives their
// product times x. Folding a remainder S over n more bits of data is
//   S * x^n = hi * x^(n + 64) + lo * x^n  (mod P)
// with hi the low lane and lo the high lane, so the constants are
// x^(n + 63) and x^(n - 1) mod P (the multiplication adds the other x).
#include "crc16.h"

#include <immintrin.h>

namespace lha {
namespace {

constexpr uint32_t kPolynomial = 0x18005; // x^16 + x^15 + x^2 + 1

// x^n mod P, as a 64-bit lane: coefficient of x^d at bit 63 - d.
constexpr uint64_t xPowerModP(unsigned n) {
    uint32_t r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if (r & 0x10000)
            r ^= kPolynomial;
    }
    uint64_t lane = 0;
    for (unsigned d = 0; d < 16; ++d)
        if (r >> d & 1)
            lane |= uint64_t{1} << (63 - d);
    return lane;
}

constexpr std::size_t kBlock = 16;
constexpr std::size_t kLanes = 4;

[[gnu::target("pclmul,sse4.1")]] __m128i fold(__m128i s, __m128i constants) {
    return _mm_xor_si128(_mm_clmulepi64_si128(s, constants, 0x00),
                         _mm_clmulepi64_si128(s, constants, 0x11));
}

[[gnu::target("pclmul,sse4.1")]] uint16_t crc16Clmul(uint16_t crc, const void *data,
                                                     std::size_t size) {
    auto p = static_cast<const uint8_t *>(data);
    if (size < kLanes * kBlock)
        return crc16Tables(crc, p, size);
    const __m128i overFour = _mm_set_epi64x(static_cast<long long>(xPowerModP(kLanes * 128 - 1)),
                                            static_cast<long long>(xPowerModP(kLanes * 128 + 63)));
    const __m128i overOne = _mm_set_epi64x(static_cast<long long>(xPowerModP(128 - 1)),
                                           static_cast<long long>(xPowerModP(128 + 63)));
    auto load = [](const uint8_t *at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    };
    // A running CRC is the same as its value XORed into the first two bytes.
    __m128i s[kLanes];
    for (std::size_t i = 0; i < kLanes; ++i)
        s[i] = load(p + i * kBlock);
    s[0] = _mm_xor_si128(s[0], _mm_cvtsi32_si128(crc));
    p += kLanes * kBlock;
    size -= kLanes * kBlock;
    for (; size >= kLanes * kBlock; p += kLanes * kBlock, size -= kLanes * kBlock)
        for (std::size_t i = 0; i < kLanes; ++i)
            s[i] = _mm_xor_si128(fold(s[i], overFour), load(p + i * kBlock));
    __m128i r = s[0];
    for (std::size_t i = 1; i < kLanes; ++i)
        r = _mm_xor_si128(fold(r, overOne), s[i]);
    for (; size >= kBlock; p += kBlock, size -= kBlock)
        r = _mm_xor_si128(fold(r, overOne), load(p));
    alignas(16) uint8_t rest[kBlock];
    _mm_store_si128(reinterpret_cast<__m128i *>(rest), r);
    return crc16Tables(crc16Tables(0, rest, kBlock), p, size);
}

} // namespace

Crc16Function crc16CarryLess() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1"))
        return crc16Clmul;
    return nullptr;
}

} // namespace lha
