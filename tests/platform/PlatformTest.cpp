// The system services on every system the core is built for: names in UTF-8,
// a file replaced while it is held open, the save lock, the sweeping of
// temporary files.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

#include "../logstore/TestSupport.h"
#include "platform/FileSystem.h"
#include "platform/ReplaceFile.h"

namespace qx {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadAll(sys::InputFile& in) {
    std::string text(256, '\0');
    const long long n = in.ReadAt(0, text.data(), text.size());
    return n < 0 ? std::string("(error)") : text.substr(0, static_cast<std::size_t>(n));
}

TEST(Paths, FolderAndNameParts) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"/logs/ipmsg.log", "/logs/", "ipmsg.log"},
        {"ipmsg.log", "", "ipmsg.log"},
        {"/logs/", "/logs/", ""},
        {"a/\xE6\x97\xA5\xE5\xA0\xB1.log", "a/", "\xE6\x97\xA5\xE5\xA0\xB1.log"},
#ifdef _WIN32
        {"C:\\logs\\ipmsg.log", "C:\\logs\\", "ipmsg.log"},
        {"C:\\logs/sub\\x.log", "C:\\logs/sub\\", "x.log"},
#endif
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sys::FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(sys::NameOf(c.path), c.name) << c.path;
    }
}

TEST(Files, NamesInUtf8AreWrittenListedReadAndRemoved) {
    TempDir dir;
    const std::string name = "\xE6\x97\xA5\xE5\xA0\xB1 \xE2\x91\xA0.log";  // "日報 ①.log"
    const std::string path = dir.File(name);
    sys::OutputFile out;
    ASSERT_TRUE(out.Create(path));
    ASSERT_TRUE(out.Write(std::string("a\r\nb\n\0c", 7)));
    ASSERT_TRUE(out.Sync());
    ASSERT_TRUE(out.Close());

    const sys::FileInfo info = sys::Stat(path);
    EXPECT_TRUE(info.exists && info.isRegular && !info.isDirectory);
    EXPECT_EQ(info.size, 7u);
    EXPECT_TRUE(sys::Stat(dir.path()).isDirectory);
    EXPECT_EQ(sys::ListFolder(dir.path()), std::vector<std::string>{name});
    sys::InputFile in;
    ASSERT_TRUE(in.Open(path));
    EXPECT_EQ(ReadAll(in), std::string("a\r\nb\n\0c", 7)) << "bytes pass unchanged";
    EXPECT_TRUE(in.Info().SameFileAs(info));
    in.Close();

    sys::OutputFile more;
    ASSERT_TRUE(more.OpenAppend(path));
    EXPECT_EQ(more.Position(), 7u);
    ASSERT_TRUE(more.Write("d"));
    ASSERT_TRUE(more.Close());
    ASSERT_TRUE(in.Open(path));
    EXPECT_EQ(ReadAll(in), std::string("a\r\nb\n\0cd", 8));
    in.Close();

    sys::OutputFile again;
    EXPECT_FALSE(again.CreateNew(path, 0644));
    EXPECT_EQ(again.error(), EEXIST);
    EXPECT_TRUE(sys::RemoveFile(path));
    EXPECT_FALSE(sys::FileExists(path));
    sys::InputFile gone;
    EXPECT_FALSE(gone.Open(path));
    EXPECT_EQ(gone.error(), ENOENT);
    EXPECT_FALSE(gone.Open(dir.path())) << "a folder is no log";
}

TEST(Files, AReplacedFileHeldOpenReadsAsItWasAndTheNameGivesTheNewOne) {
    TempDir dir;
    const std::string target = dir.File("ipmsg.log");
    WriteFile(target, "old");
    sys::InputFile reader;
    ASSERT_TRUE(reader.Open(target));
    sys::FileLock lock;
    ASSERT_EQ(lock.Lock(target, 0, [] {}), sys::FileLock::Result::Locked);

    sys::TempFile temp;
    ASSERT_TRUE(temp.Create(target, 0644));
    ASSERT_TRUE(temp.out().Write("new"));
    ASSERT_TRUE(temp.out().Sync());
    int err = 0;
    ASSERT_TRUE(sys::AtomicReplace(temp.path(), target, &err)) << sys::ErrorText(err);
    temp.Kept();
    temp.out().Close();

    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(ReadAll(reader), "old") << "an open reader keeps the old file";
    reader.Close();
    lock.Unlock();
    EXPECT_EQ(sys::ListFolder(dir.path()), std::vector<std::string>{"ipmsg.log"}) << "nothing else is left";
}

TEST(Files, OneSaveAtATimeHoldsTheLock) {
    TempDir dir;
    const std::string target = dir.File("ipmsg.log");
    sys::FileLock first, second;
    EXPECT_EQ(first.Lock(target, 0, [] {}), sys::FileLock::Result::Missing);
    WriteFile(target, "x");
    ASSERT_EQ(first.Lock(target, 0, [] {}), sys::FileLock::Result::Locked);
    int waits = 0;
    EXPECT_EQ(second.Lock(target, 60, [&] { ++waits; }), sys::FileLock::Result::Busy);
    EXPECT_GT(waits, 0);
    sys::InputFile reader;
    ASSERT_TRUE(reader.Open(target));
    EXPECT_EQ(ReadAll(reader), "x") << "a lock never stops a read";
    first.Unlock();
    EXPECT_EQ(second.Lock(target, 0, [] {}), sys::FileLock::Result::Locked);
}

TEST(Files, OnlyTemporaryFilesNoSaveHoldsAreSwept) {
    TempDir dir;
    const std::string target = dir.File("ipmsg.log");
    WriteFile(target, "log");
    sys::TempFile running;
    ASSERT_TRUE(running.Create(target, 0644));
    const std::string stale = sys::TempPrefixFor(target) + "999-1.tmp";  // a killed save's
    WriteFile(stale, "half");
    WriteFile(sys::TempPrefixFor(target) + "notes.txt", "kept");  // not a temporary file's name
    EXPECT_EQ(sys::TempFilesFor(target).size(), 2u);

    sys::RemoveStaleTempFiles(target);
    EXPECT_EQ(sys::TempFilesFor(target), std::vector<std::string>{running.path()});
    EXPECT_TRUE(sys::FileExists(sys::TempPrefixFor(target) + "notes.txt"));
    running.Discard();
    EXPECT_EQ(Sorted(sys::ListFolder(dir.path())),
              Sorted({"ipmsg.log", sys::NameOf(sys::TempPrefixFor(target) + "notes.txt")}));
}

#ifdef _WIN32
TEST(Files, AFileHeldWithoutSharingIsStillSeen) {
    TempDir dir;
    const std::string a = dir.File("a.log"), b = dir.File("b.log");
    WriteFile(a, "12345");
    WriteFile(b, "1");
    HANDLE ha = CreateFileA(a.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE hb = CreateFileA(b.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(ha, INVALID_HANDLE_VALUE);
    ASSERT_NE(hb, INVALID_HANDLE_VALUE);
    const sys::FileInfo info = sys::Stat(a);
    EXPECT_TRUE(info.exists && info.isRegular);
    EXPECT_EQ(info.size, 5u);
    EXPECT_TRUE(info.SameFileAs(sys::Stat(a)));
    EXPECT_FALSE(info.SameFileAs(sys::Stat(b))) << "two such files are told apart";
    sys::InputFile in;
    EXPECT_FALSE(in.Open(a));
    EXPECT_EQ(in.error(), EACCES);
    CloseHandle(ha);
    CloseHandle(hb);
}
#endif

}  // namespace
}  // namespace qx
