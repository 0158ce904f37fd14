#include "core/file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tessary {

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool File::Fail(int error) {
    error_ = error != 0 ? error : EIO;
    return false;
}

bool File::Open(const std::filesystem::path& path, Access access) {
    Close();
    error_ = 0;
    // Non-blocking, so that opening a pipe for reading cannot wait for a writer.
    const int flags = (access == Access::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK;
    do {
        fd_ = ::open(path.c_str(), flags);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) return Fail(errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        Close();
        return Fail(error);
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return true;
}

void File::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool File::TryLockExclusive() {
    if (fd_ < 0) return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // the whole file, however it grows
    return ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
}

std::size_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    if (fd_ < 0) return 0;
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool File::WriteAt(std::uint64_t offset, const void* buffer, std::size_t count) {
    if (fd_ < 0) return Fail(EBADF);
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail(errno);
        if (n == 0) return Fail(ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool File::Append(const void* buffer, std::size_t count) {
    return WriteAt(Size(), buffer, count);
}

std::uint64_t File::Size() const {
    if (fd_ < 0) return 0;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

bool File::IsAt(const std::filesystem::path& path) const {
    struct stat mine {
    }, named{};
    return fd_ >= 0 && ::fstat(fd_, &mine) == 0 && ::stat(path.c_str(), &named) == 0 &&
           mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

bool File::Truncate(std::uint64_t size) {
    if (fd_ < 0) return Fail(EBADF);
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 || Fail(errno);
}

bool File::Sync() {
    if (fd_ < 0) return Fail(EBADF);
    return ::fsync(fd_) == 0 || Fail(errno);
}

FileStamp StampOf(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    const auto ns = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    return {true, static_cast<std::uint64_t>(st.st_ino), static_cast<std::uint64_t>(st.st_size),
            ns(st.st_mtim), ns(st.st_ctim)};
}

std::string FileErrorText(int error) {
    switch (error) {
        case 0:
            return "no error";
        case ENOSPC:
            return "the disc is full";
        case EDQUOT:
            return "the disc quota is used up";
        case EIO:
            return "the disc could not be read or written";
        case EACCES:
        case EPERM:
            return "permission was refused";
        case EROFS:
            return "the disc is read-only";
        case ENOENT:
            return "a file or folder is missing";
        case EISDIR:
        case EINVAL:
            return "a file is not an ordinary file";
        case EFBIG:
            return "a file is too large";
        case ENOMEM:
            return "there is not enough memory";
        case EBADMSG:
            return "a data file is damaged";
        case ERANGE:
            return "an amount is beyond what the records can hold";
        default:
            return "error " + std::to_string(error);
    }
}

bool CreateEmptyFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

int SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

int WriteDurableCopy(const std::filesystem::path& source, const std::filesystem::path& copy) {
    File in;
    if (!in.Open(source, File::Access::ReadOnly)) return in.Error();
    std::error_code ec;
    std::filesystem::remove(copy, ec);
    if (!CreateEmptyFile(copy)) return errno != 0 ? errno : EIO;
    File out;
    if (!out.Open(copy, File::Access::ReadWrite)) return out.Error();
    std::vector<char> buffer(std::size_t{1} << 20);
    std::uint64_t offset = 0;
    bool ok = true;
    for (;;) {
        const std::size_t n = in.ReadAt(offset, buffer.data(), buffer.size());
        if (n == 0) break;
        ok = out.WriteAt(offset, buffer.data(), n);
        if (!ok) break;
        offset += n;
    }
    // A copy shorter than its source is a failed copy, not a finished one.
    if (ok && offset != in.Size()) {
        out.Close();
        std::filesystem::remove(copy, ec);
        return EIO;
    }
    ok = ok && out.Sync();
    const int error = ok ? 0 : out.Error();
    out.Close();
    if (!ok) std::filesystem::remove(copy, ec);
    return error;
}

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
    std::filesystem::path temp = target;
    temp += ".tmp";
    return temp;
}

int RenamePath(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int CopyFileDurably(const std::filesystem::path& source, const std::filesystem::path& target) {
    const auto temp = TemporaryNameFor(target);
    if (const int error = WriteDurableCopy(source, temp)) return error;
    const int error = RenamePath(temp, target);
    std::error_code ec;
    if (error != 0) std::filesystem::remove(temp, ec);
    return error;
}

int WriteFileDurably(const std::filesystem::path& target, std::string_view bytes) {
    const auto temp = TemporaryNameFor(target);
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    if (!CreateEmptyFile(temp)) return errno != 0 ? errno : EIO;
    File out;
    bool ok = out.Open(temp, File::Access::ReadWrite) &&
              out.WriteAt(0, bytes.data(), bytes.size()) && out.Sync();
    int error = ok ? 0 : out.Error();
    out.Close();
    if (ok) error = RenamePath(temp, target);
    if (error != 0) std::filesystem::remove(temp, ec);
    return error;
}

int CreatePrivateTemporaryFile(const std::string& name, std::filesystem::path& made) {
    std::error_code ec;
    const auto temp = std::filesystem::temp_directory_path(ec);
    if (ec) return ec.value();
    std::string folder = (temp / "tessary-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) return errno;  // mode 0700
    const auto path = std::filesystem::path(folder) / name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        ::rmdir(folder.c_str());
        return error;
    }
    ::close(fd);
    made = path;
    return 0;
}

std::string ExecutableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

int SwitchFolders(const std::filesystem::path& staged, const std::filesystem::path& live,
                  const std::filesystem::path& old, bool keepPrevious) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(live)) return RenamePath(staged, live);
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, live.c_str(), RENAME_EXCHANGE) == 0) {
        if (!keepPrevious) fs::remove_all(staged, ec);  // now the previous copy
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    fs::remove_all(old, ec);
    if (const int error = RenamePath(live, old)) return error;
    if (const int error = RenamePath(staged, live)) return error;
    // The switch is done; the previous copy merely moves aside, or goes.
    if (keepPrevious && RenamePath(old, staged) == 0) return 0;
    fs::remove_all(old, ec);
    return 0;
}

int ReplaceContentsInPlace(const std::filesystem::path& source,
                           const std::filesystem::path& target) {
    if (!std::filesystem::exists(target)) return CopyFileDurably(source, target);
    File in;
    if (!in.Open(source, File::Access::ReadOnly)) return in.Error();
    const std::uint64_t size = in.Size();
    if (size > (std::uint64_t{1} << 20)) return EFBIG;  // a system file is one record
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (in.ReadAt(0, bytes.data(), bytes.size()) != size) return EIO;
    File out;
    if (out.Open(target, File::Access::ReadWrite) && out.WriteAt(0, bytes.data(), bytes.size()) &&
        out.Truncate(size) && out.Sync()) {
        return 0;
    }
    return out.Error();
}

int ReadWholeFile(const std::string& path, std::string& bytes) {
    File file;
    if (!file.Open(path, File::Access::ReadOnly)) return file.Error() ? file.Error() : ENOENT;
    const std::uint64_t size = file.Size();
    bytes.resize(static_cast<std::size_t>(size));
    if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) {
        return file.Error() ? file.Error() : EIO;
    }
    return 0;
}

}  // namespace tessary
