// Time to build the message tree over a large synthetic log, under each key, and
// to count its messages for the graph.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "browse/LogTree.h"
#include "browse/MessageStats.h"
#include "logstore/LogData.h"

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// About ninety messages a day over three years, two hundred people on 120 hosts;
// every tenth message goes to two people.
std::vector<qx::LogData> SyntheticLog(std::size_t count) {
    const std::string top = std::string(37, '=');
    const std::string sep = std::string(37, '-');
    std::vector<qx::LogData> records;
    records.reserve(count);
    char line[160];
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t day = i / 90;
        std::string block = top + "\r\n";
        const int addressees = i % 10 == 0 ? 2 : 1;
        for (int a = 0; a < addressees; ++a) {
            const std::size_t user = (i * 7919 + static_cast<std::size_t>(a) * 31) % 200;
            std::snprintf(line, sizeof line, " %s: user%03zu (group/pc%03zu/10.0.%zu.%zu)\r\n",
                          addressees == 1 && i % 2 ? "From" : "To", user, user % 120, user / 100,
                          user % 100);
            block += line;
        }
        std::snprintf(line, sizeof line, "  at %s %s %2zu %02zu:%02zu:00 %zu\r\n", kDays[day % 7],
                      kMonths[(day / 28) % 12], day % 28 + 1, (i / 60) % 24, i % 60,
                      2004 + day / 336);
        block += line;
        block += sep + "\r\nmessage body\r\n";
        records.emplace_back(block);
    }
    return records;
}

const std::vector<qx::LogData>& Log() {
    static const std::vector<qx::LogData> log = SyntheticLog(100000);
    return log;
}

void BM_FullBuild(benchmark::State& state) {
    const auto& log = Log();
    qx::LogTree tree;
    tree.SetTreeKey(static_cast<int>(state.range(0)));
    tree.SetTexts("deleted", "msgs");
    for (auto _ : state) {
        tree.BuildTree(log, 0);
        benchmark::DoNotOptimize(tree.NodeCount());
    }
    state.counters["nodes"] = static_cast<double>(tree.NodeCount());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(log.size()));
}
BENCHMARK(BM_FullBuild)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// A reload that appends 100 messages to a log of 99 900.
void BM_Extension(benchmark::State& state) {
    const auto& log = Log();
    const std::vector<qx::LogData> head(log.begin(), log.end() - 100);
    qx::LogTree tree;
    tree.SetTreeKey(static_cast<int>(state.range(0)));
    tree.SetTexts("deleted", "msgs");
    for (auto _ : state) {
        state.PauseTiming();
        tree.BuildTree(head, 0);
        state.ResumeTiming();
        tree.BuildTree(log, head.size());
    }
}
BENCHMARK(BM_Extension)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

// The graph's counts of 200 000 messages (2 223 days, 200 users, 120 hosts), by type.
void BM_CountMessages(benchmark::State& state) {
    static const std::vector<qx::LogData> log = SyntheticLog(200000);
    std::size_t bars = 0;
    for (auto _ : state) {
        const qx::GraphData data = qx::CountMessages(log, static_cast<int>(state.range(0)), false);
        bars = data.labels.size();
        benchmark::DoNotOptimize(data.counts.data());
    }
    state.counters["bars"] = static_cast<double>(bars);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(log.size()));
}
BENCHMARK(BM_CountMessages)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
