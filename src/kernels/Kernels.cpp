#include "kernels/Kernels.h"

#include <atomic>
#include <cstdlib>

#include "KernelVersions.h"
#include "kernels/Processor.h"

namespace qx::kernels {

bool HasWideVectors() {
#if defined(QX_KERNELS_X86)
    static const bool wide = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return wide;
#else
    return false;
#endif
}

bool HasBytePermutes() {
#if defined(QX_KERNELS_X86)
    static const bool permutes = HasWideVectors() && __builtin_cpu_supports("avx512vbmi");
    return permutes;
#else
    return false;
#endif
}

bool HasNarrowVectors() {
#if defined(QX_KERNELS_X86)
    return true;
#else
    return false;
#endif
}

std::vector<Version> Supported() {
    std::vector<Version> versions{Version::Plain};
    if (HasNarrowVectors()) versions.push_back(Version::Narrow);
    if (HasWideVectors()) versions.push_back(Version::Wide);
    return versions;
}

std::string_view NameOf(Version version) {
    switch (version) {
    case Version::Plain: return "plain";
    case Version::Narrow: return "narrow";
    case Version::Wide: return "wide";
    }
    return "plain";
}

Version Choose(std::string_view wanted, const std::vector<Version>& supported) {
    for (const Version v : supported) {
        if (NameOf(v) == wanted) return v;
    }
    return supported.empty() ? Version::Plain : supported.back();
}

const Kernel& Of(Version version) {
#if defined(QX_KERNELS_X86)
    if (version == Version::Wide && HasWideVectors()) return WideKernel();
    if (version != Version::Plain) return kNarrowKernel;
#else
    (void)version;
#endif
    return kPlainKernel;
}

namespace {

// Null until the first use; then the kernel in use.
std::atomic<const Kernel*> g_active{nullptr};

const Kernel& ChooseAtStart() {
    const char* wanted = std::getenv("QUILLORIX_KERNELS");
    const Kernel* chosen = &Of(Choose(wanted ? wanted : "", Supported()));
    const Kernel* none = nullptr;
    // Two threads may get here at once; both chose the same.
    g_active.compare_exchange_strong(none, chosen);
    return *g_active.load(std::memory_order_relaxed);
}

}  // namespace

const Kernel& Active() {
    const Kernel* k = g_active.load(std::memory_order_relaxed);
    return k ? *k : ChooseAtStart();
}

ScopedKernel::ScopedKernel(Version version) : before_(&Active()) {
    g_active.store(&Of(Choose(NameOf(version), Supported())), std::memory_order_relaxed);
}

ScopedKernel::~ScopedKernel() { g_active.store(before_, std::memory_order_relaxed); }

}  // namespace qx::kernels
