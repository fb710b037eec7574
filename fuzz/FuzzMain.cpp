// libFuzzer entry point; QX_FUZZ_TARGET names the target function this binary runs.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // A broken property is a finding just like a crash.
    if (!qx::fuzz::QX_FUZZ_TARGET(input)) __builtin_trap();
    return 0;
}
