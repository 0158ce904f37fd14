#pragma once
// A thin owner of one open data file. Record I/O is positional (pread/pwrite), so no read
// or write depends on a shared file position, and nothing is buffered in user space: a
// write has reached the kernel when it returns.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tessary {

class File {
  public:
    enum class Access { ReadOnly, ReadWrite };

    File() = default;
    ~File() { Close(); }
    File(File&& other) noexcept : fd_(other.fd_), error_(other.error_) { other.fd_ = -1; }
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens a regular file; anything else (a pipe, a device, a folder) is refused, so no
    // read can hang on it.
    bool Open(const std::filesystem::path& path, Access access);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // The error number of the last operation that failed on this file (0 when none has).
    int Error() const { return error_; }

    // Takes a non-blocking exclusive lock on the whole file. The lock belongs to this open
    // file description, so two Files exclude each other even inside one process, and it
    // ends when the file is closed or the process dies.
    bool TryLockExclusive();

    // Reads up to `count` bytes at `offset`; returns the bytes read (short at end of file).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const;
    // Writes `count` bytes at `offset`; false when not all were written.
    [[nodiscard]] bool WriteAt(std::uint64_t offset, const void* buffer, std::size_t count);
    // Writes at the end of the file.
    [[nodiscard]] bool Append(const void* buffer, std::size_t count);
    std::uint64_t Size() const;
    // Whether `path` names this open file (it may have been removed or replaced since).
    bool IsAt(const std::filesystem::path& path) const;
    [[nodiscard]] bool Truncate(std::uint64_t size);
    // Makes the written data durable.
    [[nodiscard]] bool Sync();

  private:
    bool Fail(int error);

    int fd_ = -1;
    int error_ = 0;
};

// Where a file stands on disc: enough to tell it from any file put in its place or changed
// since. The change time cannot be set back by hand, so a file rewritten to the same size with
// its modification time put back still differs.
struct FileStamp {
    bool exists = false;
    std::uint64_t inode = 0, size = 0;
    std::int64_t mtime = 0, ctime = 0;  // nanoseconds
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::filesystem::path& path);

// A short plain-language reason for a failed file operation, for the user's messages. Kept
// in the program rather than taken from the C library, so it reads the same in any locale.
std::string FileErrorText(int error);

// Creates an empty file; never truncates one that exists. False when it could not be made.
bool CreateEmptyFile(const std::filesystem::path& path);

// The functions below return 0 on success, else the error number of the step that failed.

// Writes a copy of `source` under the new name `copy` (replacing one) and makes it durable.
int WriteDurableCopy(const std::filesystem::path& source, const std::filesystem::path& copy);
// The temporary name under which a file is staged before it is renamed into place.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target);

// Copies `source` to `target` so that `target` is never seen half-written: the bytes go to a
// temporary name beside it, are made durable, and are renamed into place.
int CopyFileDurably(const std::filesystem::path& source, const std::filesystem::path& target);
// Writes `bytes` as the whole of `target` the same way.
int WriteFileDurably(const std::filesystem::path& target, std::string_view bytes);

// Makes a new, empty file called `name` in a folder of its own under the temporary folder.
// The folder's name is random and made exclusively, and only this user may enter it, so no
// other user can guess the file's path, make it first or change it. Sets `made`.
int CreatePrivateTemporaryFile(const std::string& name, std::filesystem::path& made);

// Renames, reporting the error number.
int RenamePath(const std::filesystem::path& from, const std::filesystem::path& to);

// Puts the folder `staged` in the place of `live`, in one step where the file system can
// exchange them; else through the third name `old`, a gap in which `live` is missing (and
// `old` holds what it was) that the caller must be able to notice and close. What `live` was
// is thrown away, or with `keepPrevious` left under the name `staged`.
int SwitchFolders(const std::filesystem::path& staged, const std::filesystem::path& live,
                  const std::filesystem::path& old, bool keepPrevious = false);
// Rewrites `target` with the bytes of `source` (at most 1 MiB) through the same inode, so that
// an update lock held on it stays meaningful to every other opener; made durable.
int ReplaceContentsInPlace(const std::filesystem::path& source,
                           const std::filesystem::path& target);

// Makes a folder's entries (creations, renames) durable.
int SyncFolder(const std::filesystem::path& folder);

// The folder of the running executable (the program folder), without a trailing "/".
std::string ExecutableFolder();

// Reads a whole file into `bytes`; 0 or the error number.
int ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace tessary
