// The core's speed on generated logs of 10 000, 100 000 and 200 000 messages:
// loading, following, the tree, the message list, searching and saving.
//
//   bench_core [--qx_sizes=10000,100000] [Google Benchmark flags]
//
// The logs are made by quillorix-genlog in a temporary folder at the start of the
// first benchmark that needs each one, and removed at the end of the run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BenchLogs.h"
#include "browse/BrowseTypes.h"
#include "browse/ListRows.h"
#include "browse/LogTree.h"
#include "logstore/LogSession.h"
#include "search/SearchRecords.h"
#include "search/TextMatcher.h"

namespace {

using qxbench::LoadedLog;
using qxbench::LogFile;
using qxbench::LogKind;
using qxbench::SharedUi;

// "Dec 25" is in the header of a few hundred of 200 000 generated messages; the
// pattern matches the wiki links, in about one message in eight.
constexpr const char* kPlainWord = "Dec 25";
constexpr const char* kPattern = "https?://[a-z.-]+/wiki";

// Fewer rounds for bigger logs, so the whole run stays within a few minutes.
int Rounds(std::size_t messages) {
    return messages <= 10000 ? 20 : messages <= 100000 ? 5 : 3;
}

std::int64_t FileSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::int64_t>(size);
}

void FullLoad(benchmark::State& state, LogKind kind, std::size_t messages) {
    const std::string& path = LogFile(kind, messages);
    for (auto _ : state) {
        auto session = std::make_unique<qx::LogSession>(SharedUi());
        const qx::LoadResult result = session->LoadLog(path, 0);
        if (!result.ok() || session->records.size() != messages) {
            state.SkipWithError("the log did not load whole");
            break;
        }
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(messages));
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

void PeakMemory(benchmark::State& state, LogKind kind, std::size_t messages) {
    const std::string& path = LogFile(kind, messages);
    long long kib = -1;
    std::size_t records = 0;
    for (auto _ : state) kib = qxbench::PeakKiBOfLoad(path, &records);
    if (kib < 0 || records != messages) {
        state.SkipWithError("the measuring process failed");
        return;
    }
    const double fileMiB = static_cast<double>(FileSize(path)) / (1024.0 * 1024.0);
    state.counters["peak_MiB"] = static_cast<double>(kib) / 1024.0;
    state.counters["file_MiB"] = fileMiB;
    state.counters["peak/file"] = static_cast<double>(kib) / 1024.0 / fileMiB;
}

// A log of `messages` messages is open; the messenger has appended 1000 more.
void DifferentialRead(benchmark::State& state, std::size_t messages) {
    const std::string grown = qxbench::ReadBytes(LogFile(LogKind::Grown, messages));
    const std::size_t split = qxbench::BlockOffset(grown, messages);
    const std::string path = qxbench::TempPath("follow-" + std::to_string(messages) + ".log");
    qxbench::WriteBytes(path, std::string_view(grown).substr(0, split));
    qx::LogSession before(SharedUi());
    if (!before.LoadLog(path, 0).ok() || before.records.size() != messages) {
        state.SkipWithError("the first part did not load");
        return;
    }
    qxbench::WriteBytes(path, std::string_view(grown).substr(split), true);

    std::optional<qx::LogSession> session;
    for (auto _ : state) {
        state.PauseTiming();
        session.emplace(before);
        // A copied array is full; a session that has been loading has room to
        // grow, as the vector's growth leaves it most of the time.
        session->records.reserve(messages + 2 * qxbench::kAppended);
        state.ResumeTiming();
        const qx::LoadResult result = session->LoadLog(path, session->LoadedSize);
        if (!result.ok() || result.fullRead ||
            session->records.size() != messages + qxbench::kAppended) {
            state.SkipWithError("the differential read did not add the appended messages");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(qxbench::kAppended));
    std::filesystem::remove(path);
}

void TreeBuild(benchmark::State& state, std::size_t messages, int key) {
    qx::LogSession* session = LoadedLog(LogKind::Plain, messages);
    if (!session) {
        state.SkipWithError("the log did not load");
        return;
    }
    qx::LogTree tree;
    tree.SetTreeKey(key);
    tree.SetTexts("-", "");
    for (auto _ : state) {
        tree.BuildTree(session->records, 0);
        benchmark::DoNotOptimize(tree.NodeCount());
    }
    state.counters["nodes"] = static_cast<double>(tree.NodeCount());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(messages));
}

// The largest leaf of the date tree (one day holding the last 10 000 messages),
// listed as the message list fills it: its records, then a row for each.
void LeafFill(benchmark::State& state, std::size_t messages, bool sort) {
    qx::LogSession* session = LoadedLog(LogKind::Leaf, messages);
    if (!session) {
        state.SkipWithError("the log did not load");
        return;
    }
    qx::LogTree tree;
    tree.SetTreeKey(qx::tkDate);
    tree.SetTexts("-", "");
    tree.BuildTree(session->records, 0);
    const qx::TreeNode* leaf = nullptr;
    tree.ForEachNode([&](qx::TreeNode* node) {
        if (!node->HasChildren() &&
            (!leaf || tree.MessagesOf(node).size() > tree.MessagesOf(leaf).size())) {
            leaf = node;
        }
    });
    if (!leaf || tree.MessagesOf(leaf).size() != qxbench::kLeafMessages) {
        state.SkipWithError("no leaf of 10 000 messages");
        return;
    }
    qx::ListOptions options;
    options.password = session->CurrentPassword;
    options.previewSkipPrefix = "[To]";
    options.monthFirst = true;

    auto fill = [&] {
        const std::vector<std::size_t> indexes = qx::NodeRecords(tree, leaf, session->records);
        std::vector<qx::ListRow> rows;
        rows.reserve(indexes.size());
        for (std::size_t i : indexes) rows.push_back(qx::MessageRow(session->records[i], i, options));
        return rows;
    };
    std::size_t rowCount = 0;
    if (sort) {
        // Sorting by date, the list's usual order, on the rows just filled.
        const std::vector<qx::ListRow> filled = fill();
        for (auto _ : state) {
            state.PauseTiming();
            std::vector<qx::ListRow> rows = filled;
            state.ResumeTiming();
            qx::SortRows(rows, qx::kColDate, 1);
            rowCount = rows.size();
            state.PauseTiming();
            rows = {};
            state.ResumeTiming();
        }
    } else {
        for (auto _ : state) {
            std::vector<qx::ListRow> rows = fill();
            rowCount = rows.size();
            benchmark::DoNotOptimize(rows.data());
        }
    }
    state.counters["rows"] = static_cast<double>(rowCount);
}

void Search(benchmark::State& state, LogKind kind, std::size_t messages, bool regex) {
    qx::LogSession* session = LoadedLog(kind, messages);
    if (!session) {
        state.SkipWithError("the log did not load");
        return;
    }
    const qx::TextMatcher matcher(regex ? kPattern : kPlainWord, regex);
    std::size_t hits = 0;
    for (auto _ : state) {
        const std::vector<std::size_t> found = qx::SearchRecords(*session, SharedUi(), matcher);
        hits = found.size();
    }
    state.counters["hits"] = static_cast<double>(hits);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(messages));
}

void Save(benchmark::State& state, std::size_t messages, int saveType, bool headerEncode) {
    qx::LogSession* loaded = LoadedLog(LogKind::Plain, messages);
    if (!loaded) {
        state.SkipWithError("the log did not load");
        return;
    }
    // A copy, so the password asked for type 2 does not stay with the shared log.
    qx::LogSession session(*loaded);
    const std::string target = qxbench::TempPath("saved-" + std::to_string(messages) + ".log");
    qx::WriteOptions options;
    options.saveType = saveType;
    options.headerEncode = headerEncode;
    for (auto _ : state) {
        if (session.WriteLog(target, options) != qx::WriteStatus::Written) {
            state.SkipWithError("the log was not written");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(messages));
    state.SetBytesProcessed(state.iterations() * FileSize(target));
    std::filesystem::remove(target);
}

std::string Name(const std::string& what, std::size_t messages) {
    return what + "/messages:" + std::to_string(messages);
}

template <typename F>
benchmark::internal::Benchmark* Add(const std::string& name, int rounds, F f) {
    return benchmark::RegisterBenchmark(name.c_str(), f)
        ->Iterations(rounds)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

// Registered size by size, and within a size grouped by the log they use, so that
// each log is loaded once for all the benchmarks that share it.
void RegisterAll(const std::vector<std::size_t>& sizes) {
    for (std::size_t n : sizes) {
        const int r = Rounds(n);
        Add(Name("Load/plain", n), r, [n](benchmark::State& s) { FullLoad(s, LogKind::Plain, n); });
        Add(Name("PeakMemory/plain", n), 1,
            [n](benchmark::State& s) { PeakMemory(s, LogKind::Plain, n); });
        Add(Name("DifferentialRead/+1000", n), r,
            [n](benchmark::State& s) { DifferentialRead(s, n); });
        for (int key = qx::tkDateUser; key <= qx::tkDate; ++key) {
            Add(Name("TreeBuild/key:" + std::to_string(key), n), r,
                [n, key](benchmark::State& s) { TreeBuild(s, n, key); });
        }
        Add(Name("Search/plain/text", n), r,
            [n](benchmark::State& s) { Search(s, LogKind::Plain, n, false); });
        Add(Name("Search/plain/regex", n), r,
            [n](benchmark::State& s) { Search(s, LogKind::Plain, n, true); });
        Add(Name("Save/type:0", n), r, [n](benchmark::State& s) { Save(s, n, 0, false); });
        Add(Name("Save/type:1", n), r, [n](benchmark::State& s) { Save(s, n, 1, false); });
        Add(Name("Save/type:2", n), r, [n](benchmark::State& s) { Save(s, n, 2, false); });
        Add(Name("Save/type:2+headers", n), r, [n](benchmark::State& s) { Save(s, n, 2, true); });
        Add(Name("LeafFill/10000", n), 10, [n](benchmark::State& s) { LeafFill(s, n, false); });
        Add(Name("LeafSort/10000", n), 10, [n](benchmark::State& s) { LeafFill(s, n, true); });
        Add(Name("Load/encrypted", n), r,
            [n](benchmark::State& s) { FullLoad(s, LogKind::Encrypted, n); });
        Add(Name("PeakMemory/encrypted", n), 1,
            [n](benchmark::State& s) { PeakMemory(s, LogKind::Encrypted, n); });
        Add(Name("Search/encrypted/text", n), r,
            [n](benchmark::State& s) { Search(s, LogKind::Encrypted, n, false); });
        Add(Name("Search/encrypted/regex", n), r,
            [n](benchmark::State& s) { Search(s, LogKind::Encrypted, n, true); });
    }
}

// Takes --qx_sizes=A,B,... out of the arguments; the default sizes otherwise.
std::vector<std::size_t> TakeSizes(int& argc, char** argv) {
    std::vector<std::size_t> sizes = {10000, 100000, 200000};
    const std::string flag = "--qx_sizes=";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(flag, 0) != 0) continue;
        sizes.clear();
        std::size_t at = flag.size();
        while (at < arg.size()) {
            std::size_t comma = arg.find(',', at);
            if (comma == std::string::npos) comma = arg.size();
            const long long n = std::atoll(arg.substr(at, comma - at).c_str());
            if (n >= static_cast<long long>(qxbench::kLeafMessages)) {
                sizes.push_back(static_cast<std::size_t>(n));
            } else {
                std::cerr << "bench_core: sizes below " << qxbench::kLeafMessages
                          << " are skipped\n";
            }
            at = comma + 1;
        }
        std::copy(argv + i + 1, argv + argc, argv + i);
        --argc;
        --i;
    }
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--qx-peak-load") {
        return qxbench::PeakLoadChild(argv[2]);
    }
    const std::vector<std::size_t> sizes = TakeSizes(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const std::string problem = qxbench::Prepare();
    if (!problem.empty()) {
        std::cerr << "bench_core: " << problem << '\n';
        return 1;
    }
    RegisterAll(sizes);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qxbench::Cleanup();
    return 0;
}
