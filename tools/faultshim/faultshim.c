/* The fault sweep's shim, preloaded into the Wine process of the setup under test: counts the
 * calls with which that process changes a file of the prefix's drive C (writes, flushes, time
 * stamps) and kills the process at the N-th, or makes it fail with ENOSPC or EIO.
 * TW_FAULT_AT=N and TW_FAULT_ACTION=kill|enospc|eio aim it; TW_FAULT_LIST=FILE gets one line
 * per call ("N call path"), and "hit N call path" for the one hit. Only the first process
 * acts: the Wine processes it starts inherit the preload but not the aim. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

/* Declared here, not from <sys/stat.h>: there utimensat's path may not be null, and the test
 * for the null path (a call on a descriptor) would be taken away. */
int futimens(int fd, const struct timespec times[2]);
int utimensat(int fd, const char *path, const struct timespec times[2], int flags);

static int active;
static long count, aim;
static const char *action, *list;

__attribute__((constructor)) static void Init(void)
{
    /* Wine's loader starts itself again in the same process: it is still the first one. */
    const char *first = getenv("TW_FAULT_PID");
    if (!first) {
        char pid[32];
        snprintf(pid, sizeof pid, "%d", (int)getpid());
        setenv("TW_FAULT_PID", pid, 1);
    }
    active = !first || atoi(first) == (int)getpid();
    const char *at = getenv("TW_FAULT_AT");
    aim = at ? atol(at) : 0;
    action = getenv("TW_FAULT_ACTION");
    list = getenv("TW_FAULT_LIST");
}

static void Note(const char *what, long n, const char *call, const char *path)
{
    if (!list)
        return;
    FILE *f = fopen(list, "a");
    if (f) {
        fprintf(f, "%s%ld %s %s\n", what, n, call, path);
        fclose(f);
    }
}

/* 0 to go on with the call; -1 (errno set) when it is to fail. */
static int Hit(int fd, const char *call)
{
    if (!active || fd < 0)
        return 0;
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0)
        return 0;
    path[n] = '\0';
    if (!strstr(path, "/drive_c/"))
        return 0;
    count++;
    Note("", count, call, path);
    if (count != aim || !action)
        return 0;
    Note("hit ", count, call, path);
    if (!strcmp(action, "kill"))
        raise(SIGKILL);
    errno = !strcmp(action, "eio") ? EIO : ENOSPC;
    return -1;
}

#define REAL(name) static __typeof__(name) *real; if (!real) real = (__typeof__(name) *)dlsym(RTLD_NEXT, #name)

ssize_t write(int fd, const void *buffer, size_t size)
{
    REAL(write);
    return Hit(fd, "write") ? -1 : real(fd, buffer, size);
}

ssize_t pwrite(int fd, const void *buffer, size_t size, off_t offset)
{
    REAL(pwrite);
    return Hit(fd, "pwrite") ? -1 : real(fd, buffer, size, offset);
}

ssize_t pwrite64(int fd, const void *buffer, size_t size, off64_t offset)
{
    REAL(pwrite64);
    return Hit(fd, "pwrite") ? -1 : real(fd, buffer, size, offset);
}

ssize_t writev(int fd, const struct iovec *v, int count_)
{
    REAL(writev);
    return Hit(fd, "writev") ? -1 : real(fd, v, count_);
}

int fsync(int fd)
{
    REAL(fsync);
    return Hit(fd, "fsync") ? -1 : real(fd);
}

int fdatasync(int fd)
{
    REAL(fdatasync);
    return Hit(fd, "fdatasync") ? -1 : real(fd);
}

int futimens(int fd, const struct timespec times[2])
{
    REAL(futimens);
    return Hit(fd, "futimens") ? -1 : real(fd, times);
}

int utimensat(int fd, const char *path, const struct timespec times[2], int flags)
{
    REAL(utimensat);
    return (!path && Hit(fd, "utimensat")) ? -1 : real(fd, path, times, flags);
}
