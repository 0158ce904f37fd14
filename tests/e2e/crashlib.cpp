// Preloaded into tessary-script by the crash tests: counts the calls that change files and
// kills the process, as a power cut would, just before the one numbered TESSARY_CRASH_AT.
// With TESSARY_CALL_COUNT set to a file name it writes the number of such calls at exit.

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

long g_calls = 0;
long g_crashAt = -1;

void Count() {
    if (g_crashAt < 0) {
        const char* at = std::getenv("TESSARY_CRASH_AT");
        g_crashAt = at ? std::strtol(at, nullptr, 10) : 0;
    }
    ++g_calls;
    if (g_crashAt > 0 && g_calls == g_crashAt) ::kill(::getpid(), SIGKILL);
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
    Count();
    return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, buf, n, offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t offset) {
    Count();
    return Next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64")(fd, buf, n, offset);
}

int fsync(int fd) {
    Count();
    return Next<int (*)(int)>("fsync")(fd);
}

int rename(const char* from, const char* to) {
    Count();
    return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

int unlink(const char* path) {
    Count();
    return Next<int (*)(const char*)>("unlink")(path);
}

int remove(const char* path) {
    Count();
    return Next<int (*)(const char*)>("remove")(path);
}

int ftruncate(int fd, off_t length) {
    Count();
    return Next<int (*)(int, off_t)>("ftruncate")(fd, length);
}
}
