#include "platform/ReplaceFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

namespace qx::sys {

namespace {

std::string OwnerName(std::uint64_t uid) {
    if (const passwd* pw = ::getpwuid(static_cast<uid_t>(uid))) return pw->pw_name;
    return "user " + std::to_string(uid);
}

}  // namespace

bool ResolveLinks(const std::string& path, std::string* resolved, std::string* reason) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *resolved = current;
            return true;
        }
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), buf, sizeof buf);
        if (n < 0 || static_cast<std::size_t>(n) >= sizeof buf) {
            if (reason) *reason = "cannot read the link " + current + ": " + ErrorText(n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        std::string next(buf, static_cast<std::size_t>(n));
        current = (!next.empty() && next[0] == '/') ? next : FolderOf(current) + next;
    }
    if (reason) *reason = "the links from " + path + " lead round in a loop";
    return false;
}

void RemoveStaleTempFiles(const std::string& target) {
    for (const std::string& path : TempFilesFor(target)) {
        // Never follow a link here, and only ever take away a regular file.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        // A running save holds a lock on its file; a killed one left it free.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat now {};
            // Still the file we locked under that name: then it is stale.
            if (::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino) {
                ::unlink(path.c_str());
            }
        }
        ::close(fd);
    }
}

TempFile::~TempFile() { Discard(); }

bool TempFile::Create(const std::string& target, unsigned mode) {
    Discard();
    static std::atomic<unsigned> counter{0};
    const std::string prefix = TempPrefixFor(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::string name = prefix + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1) ^ static_cast<unsigned>(now)) + ".tmp";
        if (!out_.CreateNew(name, mode)) {
            error_ = out_.error();
            if (error_ == EEXIST) continue;
            return false;
        }
        // Held until the file is closed. A sweeper that took the file away
        // before we locked it leaves it without a name: start again then.
        struct stat st {};
        if (::flock(out_.Descriptor(), LOCK_EX) != 0 || ::fstat(out_.Descriptor(), &st) != 0 ||
            st.st_nlink == 0) {
            out_.Close();
            continue;
        }
        path_ = name;
        return true;
    }
    if (error_ == 0) error_ = EEXIST;
    return false;
}

void TempFile::Discard() {
    out_.Close();
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
}

FileLock::~FileLock() { Unlock(); }

void FileLock::Unlock() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

FileLock::Result FileLock::TryLock(const std::string& path) {
    Unlock();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = errno;
        return error_ == ENOENT ? Result::Missing : Result::Failed;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error_ = errno;
        Unlock();
        return error_ == EWOULDBLOCK ? Result::Busy : Result::Failed;
    }
    // Another save may have put a new file in place while we waited: the lock
    // only counts if the name still leads to the file we locked.
    struct stat held {};
    struct stat named {};
    if (::fstat(fd_, &held) != 0) {
        error_ = errno;
        Unlock();
        return Result::Failed;
    }
    if (::stat(path.c_str(), &named) != 0 || named.st_dev != held.st_dev || named.st_ino != held.st_ino) {
        Unlock();
        return Result::Busy;
    }
    return Result::Locked;
}

bool KeepOwnership(OutputFile& file, const std::string& original, std::string* reason) {
    struct stat st {};
    if (::stat(original.c_str(), &st) != 0) return true;  // nothing to keep
    const int fd = file.Descriptor();
    struct stat mine {};
    ::fstat(fd, &mine);
    std::string problem;
    if (mine.st_gid != st.st_gid && ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
        problem = "its group could not be kept (" + ErrorText(errno) + ")";
    }
    if (mine.st_uid != st.st_uid && ::fchown(fd, st.st_uid, static_cast<gid_t>(-1)) != 0) {
        problem = "it belonged to " + OwnerName(st.st_uid) + " and now belongs to " + OwnerName(mine.st_uid) +
                  " (" + ErrorText(errno) + ")";
    }
    // After the owner: a change of owner clears the set-id bits.
    ::fchmod(fd, st.st_mode & 07777);

    // Extended attributes (access lists among them) where the file system has them.
    std::vector<char> names(4096);
    ssize_t n = ::listxattr(original.c_str(), names.data(), names.size());
    if (n < 0 && errno == ERANGE) {
        n = ::listxattr(original.c_str(), nullptr, 0);
        if (n > 0) {
            names.resize(static_cast<std::size_t>(n));
            n = ::listxattr(original.c_str(), names.data(), names.size());
        }
    }
    for (ssize_t at = 0; n > 0 && at < n;) {
        const char* name = names.data() + at;
        at += static_cast<ssize_t>(std::strlen(name)) + 1;
        const ssize_t size = ::getxattr(original.c_str(), name, nullptr, 0);
        if (size < 0) continue;
        std::vector<char> value(static_cast<std::size_t>(size));
        if (::getxattr(original.c_str(), name, value.data(), value.size()) == size) {
            ::fsetxattr(fd, name, value.data(), value.size(), 0);
        }
    }
    if (!problem.empty() && reason) *reason = problem;
    return problem.empty();
}

}  // namespace qx::sys
