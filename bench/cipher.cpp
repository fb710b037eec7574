// Blowfish decryption throughput: our CBlowFish against OpenSSL's BF_ecb_encrypt,
// on the same bytes with the same key. OpenSSL reads the block halves big-endian
// and we read them little-endian, so the outputs differ; the work is the same.
#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>

#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "crypto/BlowFish.h"

namespace {

constexpr std::string_view kKey = "genlog-password";

std::vector<std::uint8_t> RandomBytes(std::size_t n) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    return bytes;
}

void BM_CBlowFishDecrypt(benchmark::State& state) {
    const auto input = RandomBytes(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> output(input.size());
    qx::CBlowFish cipher;
    cipher.SetKey(reinterpret_cast<const std::uint8_t*>(kKey.data()), kKey.size());
    for (auto _ : state) {
        cipher.DecryptBuffer(input.data(), output.data(), input.size());
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CBlowFishDecrypt)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_OpenSslBfEcbDecrypt(benchmark::State& state) {
    const auto input = RandomBytes(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> output(input.size());
    BF_KEY key;
    BF_set_key(&key, static_cast<int>(kKey.size()), reinterpret_cast<const unsigned char*>(kKey.data()));
    for (auto _ : state) {
        for (std::size_t at = 0; at < input.size(); at += 8) {
            BF_ecb_encrypt(input.data() + at, output.data() + at, &key, BF_DECRYPT);
        }
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenSslBfEcbDecrypt)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace
