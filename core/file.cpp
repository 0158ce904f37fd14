#include "core/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool File::Open(const std::filesystem::path& path, Access access) {
    Close();
    const int flags = (access == Access::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    do {
        fd_ = ::open(path.c_str(), flags);
    } while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0;
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
    if (fd_ < 0) return false;
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
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

bool File::Truncate(std::uint64_t size) {
    return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}

bool File::Sync() {
    return fd_ >= 0 && ::fsync(fd_) == 0;
}

bool CreateEmptyFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool WriteDurableCopy(const std::filesystem::path& source, const std::filesystem::path& copy) {
    File in;
    if (!in.Open(source, File::Access::ReadOnly)) return false;
    std::error_code ec;
    std::filesystem::remove(copy, ec);
    if (!CreateEmptyFile(copy)) return false;
    File out;
    bool ok = out.Open(copy, File::Access::ReadWrite);
    std::vector<char> buffer(std::size_t{1} << 20);
    std::uint64_t offset = 0;
    while (ok) {
        const std::size_t n = in.ReadAt(offset, buffer.data(), buffer.size());
        if (n == 0) break;
        ok = out.WriteAt(offset, buffer.data(), n);
        offset += n;
    }
    ok = ok && out.Sync();
    out.Close();
    if (!ok) std::filesystem::remove(copy, ec);
    return ok;
}

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
    std::filesystem::path temp = target;
    temp += ".tmp";
    return temp;
}

bool CopyFileDurably(const std::filesystem::path& source, const std::filesystem::path& target) {
    const auto temp = TemporaryNameFor(target);
    if (!WriteDurableCopy(source, temp)) return false;
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) std::filesystem::remove(temp, ec);
    return !ec;
}

}  // namespace tessary

namespace tessary {
std::string ExecutableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}
}  // namespace tessary
