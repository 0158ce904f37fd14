// Preloaded into tessary-script by the fault tests. It counts the calls that change files and,
// at the one numbered TESSARY_CRASH_AT, kills the process as a power cut would; or, at the one
// numbered TESSARY_FAIL_AT, makes the call fail with the error number TESSARY_FAIL_ERRNO (as a
// full or failing disc would). With TESSARY_FAIL_PERSIST set, every writing call from that one
// on fails too, as on a disc that stays full (cutting and deleting files still work there).
// With TESSARY_CALL_COUNT set to a file name it writes the number of such calls at exit.

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

long g_calls = 0;
long g_crashAt = -1;
long g_failAt = 0;
int g_failErrno = ENOSPC;
bool g_persist = false;

long Number(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::strtol(v, nullptr, 10) : 0;
}

// Counts one call; true when it is to fail. `writing` says whether a full disc refuses it.
bool Count(bool writing) {
    if (g_crashAt < 0) {
        g_crashAt = Number("TESSARY_CRASH_AT");
        g_failAt = Number("TESSARY_FAIL_AT");
        if (const long e = Number("TESSARY_FAIL_ERRNO")) g_failErrno = static_cast<int>(e);
        g_persist = std::getenv("TESSARY_FAIL_PERSIST") != nullptr;
    }
    ++g_calls;
    if (g_crashAt > 0 && g_calls == g_crashAt) ::kill(::getpid(), SIGKILL);
    if (g_failAt > 0 && (g_calls == g_failAt || (g_persist && writing && g_calls > g_failAt))) {
        errno = g_failErrno;
        return true;
    }
    return false;
}

template <typename F>
F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

struct Reporter {
    ~Reporter() {
        if (const char* file = std::getenv("TESSARY_CALL_COUNT")) {
            if (FILE* f = std::fopen(file, "w")) {
                std::fprintf(f, "%ld\n", g_calls);
                std::fclose(f);
            }
        }
    }
} g_reporter;

}  // namespace

extern "C" {

ssize_t pwrite(int fd, const void* buf, size_t n, off_t offset) {
    if (Count(true)) return -1;
    return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, buf, n, offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t offset) {
    if (Count(true)) return -1;
    return Next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64")(fd, buf, n, offset);
}

int fsync(int fd) {
    if (Count(true)) return -1;
    return Next<int (*)(int)>("fsync")(fd);
}

int rename(const char* from, const char* to) {
    if (Count(true)) return -1;
    return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    if (Count(true)) return -1;
    return Next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(
        fromDir, from, toDir, to, flags);
}

int unlink(const char* path) {
    if (Count(false)) return -1;
    return Next<int (*)(const char*)>("unlink")(path);
}

int remove(const char* path) {
    if (Count(false)) return -1;
    return Next<int (*)(const char*)>("remove")(path);
}

int ftruncate(int fd, off_t length) {
    if (Count(false)) return -1;
    return Next<int (*)(int, off_t)>("ftruncate")(fd, length);
}
}
