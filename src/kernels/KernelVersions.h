// The kernel of each version, for the choice among them.
#pragma once

#include "kernels/Kernels.h"

// Builds that can compile code for sixteen- and 64-byte vectors (x86-64, with
// function-level target attributes for the wider ones).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QX_KERNELS_X86 1
#endif

namespace qx::kernels {

extern const Kernel kPlainKernel;
#if defined(QX_KERNELS_X86)
extern const Kernel kNarrowKernel;
// The wide kernel, with the 64-byte Base64 step where byte permutes are there.
const Kernel& WideKernel();
#endif

}  // namespace qx::kernels
