// The folding updates. Carry-less multiplication moves each 128-bit lane of
// the running remainder forward over the data until one 128-bit remainder is
// left, which the table reduces to the register together with the tail.
// Every function names its own instruction set, so the file builds without
// global -m flags and the choice is made at run time.
#include "formats/crc_paths.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

#include <immintrin.h>

namespace {

// x^n mod P, bit-reflected like the register: bit 31 - i holds x^i.
constexpr uint32_t x_pow_mod(unsigned n) {
    uint32_t r = 0x80000000u;
    for (; n > 0; --n) r = (r >> 1) ^ ((r & 1) ? 0xEDB88320u : 0);
    return r;
}
static_assert(x_pow_mod(32) == 0xEDB88320u, "x^32 leaves the low terms of P");

// The 64-bit multiplier m for which clmul(v, m), read as a reflected 128-bit
// value, is v * x^power (mod P) for a reflected 64-bit v: x^(power - 32) mod P
// shifted up one bit stands for x^(power - 1) in a reflected 64-bit lane, and
// the reflected product adds the last x.
constexpr long long multiplier(unsigned power) {
    return static_cast<long long>(uint64_t{x_pow_mod(power - 32)} << 1);
}

// Moves a 128-bit lane `distance` bits on: its low half holds the higher
// powers, so it travels 64 bits further than its high half.
struct fold_pair {
    long long low, high;
};
constexpr fold_pair fold_by(unsigned distance) { return {multiplier(distance + 64), multiplier(distance)}; }

constexpr fold_pair by128 = fold_by(128);
constexpr fold_pair by256 = fold_by(256);
constexpr fold_pair by384 = fold_by(384);
constexpr fold_pair by512 = fold_by(512);
constexpr fold_pair by2048 = fold_by(2048);

[[gnu::target("pclmul,sse4.1")]] __m128i pair128(fold_pair f) { return _mm_set_epi64x(f.high, f.low); }

[[gnu::target("pclmul,sse4.1")]] __m128i load128(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

[[gnu::target("pclmul,sse4.1")]] __m128i fold128(__m128i acc, __m128i k, __m128i next) {
    const __m128i moved = _mm_xor_si128(_mm_clmulepi64_si128(acc, k, 0x00), _mm_clmulepi64_si128(acc, k, 0x11));
    return _mm_xor_si128(moved, next);
}

// Folds the remaining whole 16-byte blocks into acc; the table then turns
// acc into a register and adds the last few bytes.
[[gnu::target("pclmul,sse4.1")]] uint32_t finish(__m128i acc, const unsigned char* data, std::size_t size) {
    const __m128i k128 = pair128(by128);
    for (; size >= 16; data += 16, size -= 16) acc = fold128(acc, k128, load128(data));
    unsigned char remainder[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(remainder), acc);
    return crc_update_table(crc_update_table(0, remainder, 16), data, size);
}

[[gnu::target("pclmul,sse4.1")]] uint32_t update_pclmul(uint32_t reg, const unsigned char* data, std::size_t size) {
    if (size < 64) return crc_update_table(reg, data, size);
    __m128i x0 = _mm_xor_si128(load128(data), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = load128(data + 16);
    __m128i x2 = load128(data + 32);
    __m128i x3 = load128(data + 48);
    data += 64;
    size -= 64;
    const __m128i k512 = pair128(by512);
    for (; size >= 64; data += 64, size -= 64) {
        x0 = fold128(x0, k512, load128(data));
        x1 = fold128(x1, k512, load128(data + 16));
        x2 = fold128(x2, k512, load128(data + 32));
        x3 = fold128(x3, k512, load128(data + 48));
    }
    const __m128i k128 = pair128(by128);
    return finish(fold128(fold128(fold128(x0, k128, x1), k128, x2), k128, x3), data, size);
}

#define CRC_AVX512_TARGET gnu::target("avx512f,vpclmulqdq,pclmul,sse4.1")

[[CRC_AVX512_TARGET]] __m512i load512(const unsigned char* p) { return _mm512_loadu_si512(p); }

[[CRC_AVX512_TARGET]] __m512i fold512(__m512i acc, __m512i k, __m512i next) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(acc, k, 0x00), _mm512_clmulepi64_epi128(acc, k, 0x11),
                                     next, 0x96);
}

[[CRC_AVX512_TARGET]] __m512i pair512(fold_pair f) {
    return _mm512_set_epi64(f.high, f.low, f.high, f.low, f.high, f.low, f.high, f.low);
}

// The masked extraction, because GCC 12 warns about the unmasked one.
template <int index>
[[CRC_AVX512_TARGET]] __m128i lane(__m512i v) {
    return _mm512_maskz_extracti32x4_epi32(0xF, v, index);
}

// Four 512-bit accumulators over 256-byte strides, read from 64-byte aligned
// addresses so that no load splits a cache line.
[[CRC_AVX512_TARGET]] uint32_t update_vpclmul(uint32_t reg, const unsigned char* data, std::size_t size) {
    const std::size_t head = (64 - reinterpret_cast<uintptr_t>(data) % 64) % 64;
    if (size < head + 256) return update_pclmul(reg, data, size);
    reg = crc_update_table(reg, data, head);
    data += head;
    size -= head;
    __m512i x0 = _mm512_xor_si512(load512(data), _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(reg))));
    __m512i x1 = load512(data + 64);
    __m512i x2 = load512(data + 128);
    __m512i x3 = load512(data + 192);
    data += 256;
    size -= 256;
    const __m512i k2048 = pair512(by2048);
    for (; size >= 256; data += 256, size -= 256) {
        x0 = fold512(x0, k2048, load512(data));
        x1 = fold512(x1, k2048, load512(data + 64));
        x2 = fold512(x2, k2048, load512(data + 128));
        x3 = fold512(x3, k2048, load512(data + 192));
    }
    const __m512i k512 = pair512(by512);
    __m512i x = fold512(fold512(fold512(x0, k512, x1), k512, x2), k512, x3);
    for (; size >= 64; data += 64, size -= 64) x = fold512(x, k512, load512(data));
    // Lanes 0 to 2 move on to lane 3, which stays where it is.
    const __m512i k_lanes = _mm512_set_epi64(0, 0, by128.high, by128.low, by256.high, by256.low, by384.high, by384.low);
    const __m512i moved = fold512(x, k_lanes, _mm512_maskz_mov_epi64(0xC0, x));
    const __m128i acc =
        _mm_xor_si128(_mm_xor_si128(lane<0>(moved), lane<1>(moved)), _mm_xor_si128(lane<2>(moved), lane<3>(moved)));
    return finish(acc, data, size);
}

}  // namespace

uint32_t crc_update_pclmul(uint32_t reg, const unsigned char* data, std::size_t size) {
    return update_pclmul(reg, data, size);
}

uint32_t crc_update_vpclmul(uint32_t reg, const unsigned char* data, std::size_t size) {
    return update_vpclmul(reg, data, size);
}

bool crc_cpu_has_pclmul() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

bool crc_cpu_has_vpclmul() {
    return crc_cpu_has_pclmul() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
}

#else

// Without x86 folding the paths fall back to the table, and the queries say so.
uint32_t crc_update_pclmul(uint32_t reg, const unsigned char* data, std::size_t size) {
    return crc_update_table(reg, data, size);
}

uint32_t crc_update_vpclmul(uint32_t reg, const unsigned char* data, std::size_t size) {
    return crc_update_table(reg, data, size);
}

bool crc_cpu_has_pclmul() { return false; }

bool crc_cpu_has_vpclmul() { return false; }

#endif
