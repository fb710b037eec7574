// What the processor offers beyond the instructions every build may use.
#pragma once

// Builds that can compile code for 64-byte vectors beside the baseline
// (function-level target attributes on x86-64).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QX_WIDE_VECTORS 1
#endif

namespace qx::sys {

// Whether 64-byte vectors with byte compares (AVX-512 F and BW) can be used, on
// x86-64 builds; false everywhere else. Asked once, then remembered.
inline bool HasWideVectors() {
#if defined(QX_WIDE_VECTORS)
    static const bool wide = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return wide;
#else
    return false;
#endif
}

// Whether, beyond those, bytes can be permuted across a 64-byte vector
// (AVX-512 VBMI). Asked once, then remembered.
inline bool HasBytePermutes() {
#if defined(QX_WIDE_VECTORS)
    static const bool permutes = HasWideVectors() && __builtin_cpu_supports("avx512vbmi");
    return permutes;
#else
    return false;
#endif
}

}  // namespace qx::sys
