// hangfs: a pass-through FUSE file system over a directory that stops answering, as a network
// share does when its server goes away, for as long as a flag file exists. Every call waits while
// the flag is there; a call that the kernel interrupts (its process was killed) fails with EINTR,
// as on a share mounted to allow that, so a killed process is never stuck.
//
//   hangfs SOURCE MOUNTPOINT FLAGFILE
//
// Runs in the foreground until unmounted (fusermount3 -u MOUNTPOINT) or sent SIGTERM.

#define FUSE_USE_VERSION 31

#include <fuse.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

static void on_interrupt(int signal) { (void)signal; }

static const char* source;
static const char* flag;

// Waits while the share is hung; -EINTR when the waiting call was interrupted.
static int wait_for_share(void)
{
    const struct timespec step = {0, 10 * 1000 * 1000};
    while (access(flag, F_OK) == 0) {
        if (fuse_interrupted())
            return -EINTR;
        nanosleep(&step, NULL);
    }
    return 0;
}

static void real_path(char out[PATH_MAX], const char* path)
{
    snprintf(out, PATH_MAX, "%s%s", source, path);
}

#define ENTER(path)                     \
    char real[PATH_MAX];                \
    real_path(real, path);              \
    {                                   \
        const int hung = wait_for_share(); \
        if (hung)                       \
            return hung;                \
    }

static int result(int r) { return r < 0 ? -errno : r; }

static int h_getattr(const char* path, struct stat* st, struct fuse_file_info* fi)
{
    (void)fi;
    ENTER(path);
    return result(lstat(real, st));
}

static int h_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info* fi,
                     enum fuse_readdir_flags flags)
{
    (void)offset, (void)fi, (void)flags;
    ENTER(path);
    DIR* dir = opendir(real);
    if (!dir)
        return -errno;
    for (struct dirent* e; (e = readdir(dir));)
        fill(buf, e->d_name, NULL, 0, 0);
    closedir(dir);
    return 0;
}

static int h_open(const char* path, struct fuse_file_info* fi)
{
    ENTER(path);
    const int fd = open(real, fi->flags);
    if (fd < 0)
        return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int h_create(const char* path, mode_t mode, struct fuse_file_info* fi)
{
    ENTER(path);
    const int fd = open(real, fi->flags | O_CREAT, mode);
    if (fd < 0)
        return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int h_read(const char* path, char* buf, size_t size, off_t offset, struct fuse_file_info* fi)
{
    ENTER(path);
    return result((int)pread((int)fi->fh, buf, size, offset));
}

static int h_write(const char* path, const char* buf, size_t size, off_t offset, struct fuse_file_info* fi)
{
    ENTER(path);
    return result((int)pwrite((int)fi->fh, buf, size, offset));
}

static int h_release(const char* path, struct fuse_file_info* fi)
{
    (void)path;
    close((int)fi->fh);
    return 0;
}

static int h_fsync(const char* path, int datasync, struct fuse_file_info* fi)
{
    ENTER(path);
    return result(datasync ? fdatasync((int)fi->fh) : fsync((int)fi->fh));
}

static int h_truncate(const char* path, off_t size, struct fuse_file_info* fi)
{
    ENTER(path);
    return result(fi ? ftruncate((int)fi->fh, size) : truncate(real, size));
}

static int h_unlink(const char* path)
{
    ENTER(path);
    return result(unlink(real));
}

static int h_mkdir(const char* path, mode_t mode)
{
    ENTER(path);
    return result(mkdir(real, mode));
}

static int h_rmdir(const char* path)
{
    ENTER(path);
    return result(rmdir(real));
}

static int h_rename(const char* from, const char* to, unsigned int flags)
{
    if (flags)
        return -EINVAL;
    ENTER(from);
    char target[PATH_MAX];
    real_path(target, to);
    return result(rename(real, target));
}

static int h_chmod(const char* path, mode_t mode, struct fuse_file_info* fi)
{
    (void)fi;
    ENTER(path);
    return result(chmod(real, mode));
}

static int h_utimens(const char* path, const struct timespec times[2], struct fuse_file_info* fi)
{
    (void)fi;
    ENTER(path);
    return result(utimensat(AT_FDCWD, real, times, AT_SYMLINK_NOFOLLOW));
}

static int h_statfs(const char* path, struct statvfs* st)
{
    ENTER(path);
    return result(statvfs(real, st));
}

static void* h_init(struct fuse_conn_info* conn, struct fuse_config* config)
{
    (void)conn;
    // Every call asks again: nothing cached may answer for a share that has gone.
    config->entry_timeout = 0;
    config->attr_timeout = 0;
    config->negative_timeout = 0;
    config->direct_io = 1;
    // A killed caller's call is interrupted: the thread serving it gets SIGUSR1 (handled below,
    // so it only wakes the thread) and fuse_interrupted() turns true.
    config->intr = 1;
    config->intr_signal = SIGUSR1;
    return NULL;
}

static const struct fuse_operations operations = {
    .getattr = h_getattr,
    .mkdir = h_mkdir,
    .unlink = h_unlink,
    .rmdir = h_rmdir,
    .rename = h_rename,
    .chmod = h_chmod,
    .truncate = h_truncate,
    .open = h_open,
    .read = h_read,
    .write = h_write,
    .statfs = h_statfs,
    .release = h_release,
    .fsync = h_fsync,
    .readdir = h_readdir,
    .init = h_init,
    .create = h_create,
    .utimens = h_utimens,
};

int main(int argc, char* argv[])
{
    if (argc != 4) {
        fprintf(stderr, "usage: hangfs SOURCE MOUNTPOINT FLAGFILE\n");
        return 2;
    }
    static char absolute[PATH_MAX];
    if (!realpath(argv[1], absolute)) {
        perror("hangfs: SOURCE");
        return 2;
    }
    source = absolute;
    flag = argv[3];
    struct sigaction wake;
    memset(&wake, 0, sizeof wake);
    wake.sa_handler = on_interrupt;
    sigaction(SIGUSR1, &wake, NULL);
    char* fuse_args[] = {argv[0], "-f", argv[2], NULL};
    return fuse_main(3, fuse_args, &operations, NULL);
}
