// Inputs that once broke a fuzz target, and the fuzz seeds, replayed through the
// targets' own code: each must keep every property the target checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzTargets.h"

namespace qx {
namespace {

namespace fs = std::filesystem;

struct Target {
    const char* name;
    bool (*run)(std::string_view);
};

const Target kTargets[] = {
    {"logdata", fuzz::LogDataTarget}, {"logload", fuzz::LogLoadTarget},
    {"base64", fuzz::Base64Target},   {"decrypt", fuzz::DecryptTarget},
    {"ini", fuzz::IniTarget},         {"language", fuzz::LanguageTarget},
#ifdef QX_FUZZ_HAVE_REGEXP
    {"regexp", fuzz::RegexpTarget},
#endif
};

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    if (fs::is_directory(dir)) {
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.is_regular_file()) files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Replay(const Target& t, const fs::path& dir) {
    const std::vector<fs::path> files = FilesIn(dir);
    if (files.empty()) GTEST_SKIP() << "no inputs in " << dir;
    for (const fs::path& f : files) EXPECT_TRUE(t.run(Bytes(f))) << f;
}

class Replayed : public testing::TestWithParam<Target> {};

TEST_P(Replayed, FormerFindings) {
    Replay(GetParam(), fs::path(QX_FIXTURES_DIR) / "regression" / GetParam().name);
}

TEST_P(Replayed, SeedInputs) {
    Replay(GetParam(), fs::path(QX_SOURCE_DIR) / "fuzz" / "corpus" / GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Fuzz, Replayed, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qx
