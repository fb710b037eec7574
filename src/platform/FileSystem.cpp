#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <csignal>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <thread>

namespace qx::sys {

namespace {

FileInfo FromStat(const struct stat& st) {
    FileInfo info;
    info.exists = true;
    info.isDirectory = S_ISDIR(st.st_mode);
    info.isRegular = S_ISREG(st.st_mode);
    info.isLink = S_ISLNK(st.st_mode);
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.device = static_cast<std::uint64_t>(st.st_dev);
    info.inode = static_cast<std::uint64_t>(st.st_ino);
    info.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    info.ownerId = static_cast<std::uint64_t>(st.st_uid);
    info.groupId = static_cast<std::uint64_t>(st.st_gid);
    info.mode = static_cast<unsigned>(st.st_mode & 07777);
    return info;
}

bool WriteAll(int fd, const char* p, std::size_t n, int* err) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            *err = errno;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

bool SyncFolder(const std::string& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

FileInfo Stat(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return FromStat(st);
}

FileInfo LinkStat(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return {};
    return FromStat(st);
}

std::uint64_t FileSize(const std::string& path) { return Stat(path).size; }

bool FileExists(const std::string& path) { return Stat(path).exists; }

bool IsReadOnly(const std::string& path) { return ::access(path.c_str(), W_OK) != 0; }

std::string ErrorText(int err) { return std::strerror(err); }

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = errno;
        Close();
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error_ = EISDIR;
        Close();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        // A FIFO or device would block or never end; logs are regular files.
        error_ = EINVAL;
        Close();
        return false;
    }
    // Regular files never block; clear O_NONBLOCK for clarity.
    int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    return true;
}

bool InputFile::Seek(std::uint64_t offset) {
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
        error_ = errno;
        return false;
    }
    return true;
}

long long InputFile::Read(void* buf, std::size_t n) {
    while (true) {
        ssize_t r = ::read(fd_, buf, n);
        if (r >= 0) return r;
        if (errno == EINTR) continue;
        error_ = errno;
        return -1;
    }
}

long long InputFile::ReadAt(std::uint64_t offset, void* buf, std::size_t n) {
    std::size_t done = 0;
    auto* p = static_cast<char*>(buf);
    while (done < n) {
        ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            return -1;
        }
        if (r == 0) break;
        done += static_cast<std::size_t>(r);
    }
    return static_cast<long long>(done);
}

FileInfo InputFile::Info() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return {};
    return FromStat(st);
}

void InputFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool OutputFile::OpenNew(const std::string& path, int flags, unsigned mode) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, static_cast<mode_t>(mode));
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    pos_ = 0;
    writtenBack_ = 0;
    return true;
}

bool OutputFile::Create(const std::string& path, unsigned mode) { return OpenNew(path, O_TRUNC, mode); }

bool OutputFile::CreateNew(const std::string& path, unsigned mode) {
    return OpenNew(path, O_EXCL | O_NOFOLLOW, mode);
}

bool OutputFile::OpenAppend(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    struct stat st {};
    pos_ = ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    writtenBack_ = pos_;
    return true;
}

bool OutputFile::Write(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (!WriteAll(fd_, bytes.data(), bytes.size(), &error_)) return false;
    pos_ += bytes.size();
    // Start writing large files out as they grow, so that the sync at the end
    // finds most of it on the disk already. Only a start: Sync still waits.
    constexpr std::uint64_t kWriteBehind = 8u << 20;
    if (writeBehind_ && pos_ - writtenBack_ >= kWriteBehind) {
        StartWriteOut(writtenBack_, pos_);
        writtenBack_ = pos_;
    }
    return true;
}

void OutputFile::SetWriteBehind(bool on) {
    // What was written meanwhile is left to Sync.
    if (on && !writeBehind_) writtenBack_ = pos_;
    writeBehind_ = on;
}

void OutputFile::StartWriteOut(std::uint64_t from, std::uint64_t to) const {
#ifdef SYNC_FILE_RANGE_WRITE
    if (fd_ >= 0 && to > from) {
        ::sync_file_range(fd_, static_cast<off_t>(from), static_cast<off_t>(to - from), SYNC_FILE_RANGE_WRITE);
    }
#else
    (void)from;
    (void)to;
#endif
}

bool OutputFile::Truncate(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
        ::lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0) {
        error_ = errno;
        return false;
    }
    pos_ = size;
    writtenBack_ = std::min(writtenBack_, size);
    return true;
}

bool OutputFile::Sync() {
    if (::fsync(fd_) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

bool OutputFile::Close() {
    if (fd_ < 0) return true;
    int r = ::close(fd_);
    fd_ = -1;
    if (r != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

std::optional<unsigned> FileMode(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<unsigned>(st.st_mode & 07777);
}

bool AtomicReplace(const std::string& source, const std::string& target, int* err) {
    if (::rename(source.c_str(), target.c_str()) != 0) {
        if (err) *err = errno;
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string FolderOf(std::string_view path) {
    auto p = path.find_last_of('/');
    if (p == std::string_view::npos) return {};
    return std::string(path.substr(0, p + 1));
}

std::string NameOf(std::string_view path) {
    auto p = path.find_last_of('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

namespace {

std::string TrashFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        return std::string(xdg) + "/Trash/";
    }
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (const passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir;
    }
    return std::string(home ? home : ".") + "/.local/share/Trash/";
}

bool MakeFolders(const std::string& path) {
    std::string cur;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (!cur.empty() && ::mkdir(cur.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
        if (i < path.size()) cur.push_back(path[i]);
    }
    return true;
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) return path;
    return std::string(buf) + "/" + path;
}

std::string PercentEncode(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

}  // namespace

bool CopyToTrash(const std::string& path, std::string* reason) {
    const std::string trash = TrashFolder();
    if (!MakeFolders(trash + "files") || !MakeFolders(trash + "info")) {
        if (reason) *reason = "cannot create the trash folder " + trash + ": " + ErrorText(errno);
        return false;
    }
    const std::string name = NameOf(path);
    // Claim a unique name through the .trashinfo file, as the trash layout asks.
    std::string entry;
    int infoFd = -1;
    for (int n = 0; n < 1000 && infoFd < 0; ++n) {
        entry = n == 0 ? name : name + "." + std::to_string(n);
        infoFd = ::open((trash + "info/" + entry + ".trashinfo").c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (infoFd < 0 && errno != EEXIST) break;
    }
    if (infoFd < 0) {
        if (reason) *reason = "cannot write to the trash: " + ErrorText(errno);
        return false;
    }
    char when[32];
    std::time_t now = std::time(nullptr);
    std::tm tmv {};
    ::localtime_r(&now, &tmv);
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &tmv);
    const std::string info = "[Trash Info]\nPath=" + PercentEncode(AbsolutePath(path)) +
                             "\nDeletionDate=" + when + "\n";
    int err = 0;
    bool ok = WriteAll(infoFd, info.data(), info.size(), &err);
    ::close(infoFd);

    // Copy the bytes.
    InputFile in;
    OutputFile out;
    const std::string dest = trash + "files/" + entry;
    if (ok && in.Open(path) && out.Create(dest, FileMode(path).value_or(0600))) {
        char buf[1 << 16];
        long long r;
        while ((r = in.Read(buf, sizeof buf)) > 0) {
            if (!out.Write(std::string_view(buf, static_cast<std::size_t>(r)))) {
                ok = false;
                break;
            }
        }
        if (r < 0) ok = false;
        ok = out.Sync() && out.Close() && ok;
    } else {
        ok = false;
    }
    if (!ok) {
        if (reason) *reason = "cannot copy " + path + " to the trash: " + ErrorText(errno ? errno : EIO);
        ::unlink(dest.c_str());
        ::unlink((trash + "info/" + entry + ".trashinfo").c_str());
    }
    return ok;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* d = ::opendir(folder.c_str());
    if (!d) return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
    return names;
}

std::string ExecutablePath() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string UserName() {
    if (const passwd* pw = ::getpwuid(::geteuid())) return pw->pw_name;
    if (const char* u = std::getenv("USER")) return u;
    return "user";
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace qx::sys

namespace qx::sys {

namespace {
constexpr std::size_t kLargePage = 2u << 20;
}

std::size_t ReadBufferSize(std::size_t size) {
    if (size < kLargePage) return size;
    return (size + kLargePage - 1) / kLargePage * kLargePage;
}

void AdviseLargePages(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = (start + kLargePage - 1) / kLargePage * kLargePage;
    const std::uintptr_t to = (start + size) / kLargePage * kLargePage;
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

void PrefetchMapped(const void* data, std::size_t size) {
#ifdef MADV_POPULATE_READ
    static const std::uintptr_t pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = start / pageSize * pageSize;
    if (size > 0) madvise(reinterpret_cast<void*>(from), start + size - from, MADV_POPULATE_READ);
#else
    (void)data;
    (void)size;
#endif
}

std::shared_ptr<char[]> NewReadBuffer(std::size_t size) {
    size = ReadBufferSize(size);
    if (size < kLargePage) return std::shared_ptr<char[]>(new char[size]);
    void* p = nullptr;
    if (posix_memalign(&p, kLargePage, size) != 0) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, size, MADV_HUGEPAGE);  // only advice: without it, plain pages
#endif
    return std::shared_ptr<char[]>(static_cast<char*>(p), [](char* q) { std::free(q); });
}

}  // namespace qx::sys

// ---- mapped files
//
// Mapped ranges are listed where the SIGBUS handler can see them without a lock.
// A bus error inside one (the file was cut short under the mapping) puts a page
// of zero bytes in place of the lost one and lets the program go on.

namespace qx::sys {
namespace {

constexpr int kMapSlots = 256;
std::atomic<std::uintptr_t> g_mapStart[kMapSlots];
std::atomic<std::uintptr_t> g_mapEnd[kMapSlots];
std::mutex g_mapMutex;
struct sigaction g_previousBus;
bool g_busHandlerInstalled = false;

void OnBusError(int sig, siginfo_t* info, void* context) {
    const auto addr = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (int i = 0; i < kMapSlots; ++i) {
        const std::uintptr_t start = g_mapStart[i].load(std::memory_order_acquire);
        if (start == 0 || addr < start || addr >= g_mapEnd[i].load(std::memory_order_acquire)) continue;
        const std::uintptr_t pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        void* page = reinterpret_cast<void*>(addr / pageSize * pageSize);
        if (mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            return;
        }
        break;
    }
    // Not ours: what would have happened without this handler.
    if (g_previousBus.sa_flags & SA_SIGINFO) {
        if (g_previousBus.sa_sigaction) {
            g_previousBus.sa_sigaction(sig, info, context);
            return;
        }
    } else if (g_previousBus.sa_handler != SIG_DFL && g_previousBus.sa_handler != SIG_IGN) {
        g_previousBus.sa_handler(sig);
        return;
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

// The slot of the listed range, or -1 when every slot is taken.
int ListMapping(std::uintptr_t start, std::uintptr_t end) {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    if (!g_busHandlerInstalled) {
        struct sigaction sa {};
        sa.sa_sigaction = OnBusError;
        sa.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&sa.sa_mask);
        if (sigaction(SIGBUS, &sa, &g_previousBus) != 0) return -1;
        g_busHandlerInstalled = true;
    }
    for (int i = 0; i < kMapSlots; ++i) {
        if (g_mapStart[i].load(std::memory_order_relaxed) != 0) continue;
        g_mapEnd[i].store(end, std::memory_order_release);
        g_mapStart[i].store(start, std::memory_order_release);
        return i;
    }
    return -1;
}

void UnlistMapping(int slot) {
    std::lock_guard<std::mutex> lock(g_mapMutex);
    g_mapStart[slot].store(0, std::memory_order_release);
    g_mapEnd[slot].store(0, std::memory_order_release);
}

}  // namespace

std::shared_ptr<const void> InputFile::Map(std::uint64_t offset, std::size_t length, const char** data) {
    if (fd_ < 0 || length == 0) return nullptr;
    const std::uint64_t pageSize = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    const std::uint64_t start = offset / pageSize * pageSize;
    const std::size_t lead = static_cast<std::size_t>(offset - start);
    const std::size_t total = lead + length;
    void* p = mmap(nullptr, total, PROT_READ, MAP_PRIVATE, fd_, static_cast<off_t>(start));
    if (p == MAP_FAILED) return nullptr;
    const auto begin = reinterpret_cast<std::uintptr_t>(p);
    const int slot = ListMapping(begin, begin + total);
    if (slot < 0) {
        munmap(p, total);
        return nullptr;  // no room to guard it: the caller reads instead
    }
    *data = static_cast<const char*>(p) + lead;
    return std::shared_ptr<const void>(p, [slot, total](const void* q) {
        UnlistMapping(slot);
        munmap(const_cast<void*>(q), total);
    });
}

}  // namespace qx::sys
