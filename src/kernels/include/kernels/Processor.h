// What the processor offers beyond the instructions every build may use.
#pragma once

namespace qx::kernels {

// Whether 64-byte vectors with byte compares (AVX-512 F and BW) can be used, on
// x86-64 builds; false everywhere else. Asked once, then remembered.
bool HasWideVectors();

// Whether, beyond those, bytes can be permuted across a 64-byte vector
// (AVX-512 VBMI). Asked once, then remembered.
bool HasBytePermutes();

// Whether sixteen-byte vectors (SSE2) are there: on every x86-64 build.
bool HasNarrowVectors();

}  // namespace qx::kernels
