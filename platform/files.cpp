// File-system and process calls with plain POSIX and Linux interfaces.
#include "platform/files.h"

#include <dirent.h>
#include <errno.h>
#include <spawn.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

static void fill_info(const struct stat& st, platform_file_info* info) {
    info->is_folder = S_ISDIR(st.st_mode);
    info->is_regular = S_ISREG(st.st_mode);
    info->size = (int64_t)st.st_size;
    info->mode = (unsigned)(st.st_mode & 07777);
    info->device = (uint64_t)st.st_dev;
    info->inode = (uint64_t)st.st_ino;
}

bool platform_file_status(const char* path, platform_file_info* info) {
    struct stat st;
    if (stat(path, &st) != 0) return false;
    fill_info(st, info);
    return true;
}

bool platform_open_file_status(FILE* file, platform_file_info* info) {
    struct stat st;
    if (fstat(fileno(file), &st) != 0) return false;
    fill_info(st, info);
    return true;
}

bool platform_file_exists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0;
}

bool platform_same_file(const char* a, const char* b) {
    platform_file_info ia, ib;
    return platform_file_status(a, &ia) && platform_file_status(b, &ib) && ia.device == ib.device &&
           ia.inode == ib.inode;
}

bool platform_list_folder(const char* path, std::vector<std::string>* names) {
    names->clear();
    DIR* dir = opendir(path);
    if (!dir) return false;
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
        names->push_back(entry->d_name);
    }
    closedir(dir);
    return true;
}

bool platform_make_folder(const char* path) {
    return mkdir(path, 0777) == 0;
}

bool platform_rename(const char* from, const char* to) {
    return rename(from, to) == 0;
}

bool platform_remove_file(const char* path) {
    return unlink(path) == 0;
}

static mode_t current_umask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

FILE* platform_create_temp_beside(const char* path, std::string* temp_path) {
    std::string temp = std::string(path) + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return nullptr;
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(temp.c_str());
        return nullptr;
    }
    // Keep the old file's permissions (mkstemp makes the temporary 0600).
    struct stat st;
    if (stat(path, &st) == 0) (void)fchmod(fd, st.st_mode & 07777);
    else (void)fchmod(fd, 0666 & ~current_umask());
    *temp_path = temp;
    return file;
}

bool platform_commit_temp(FILE* file, const char* temp_path, const char* path) {
    bool ok = fflush(file) == 0 && !ferror(file) && fsync(fileno(file)) == 0;
    if (fclose(file) != 0) ok = false;
    if (ok) ok = rename(temp_path, path) == 0;
    if (!ok) unlink(temp_path);
    return ok;
}

void platform_abandon_temp(FILE* file, const char* temp_path) {
    fclose(file);
    unlink(temp_path);
}

std::string platform_executable_path() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || n >= (ssize_t)sizeof path) return std::string();
    return std::string(path, (size_t)n);
}

bool platform_run_and_wait(const char* const* argv, int* exit_status, const char** why) {
    pid_t pid;
    int err = posix_spawnp(&pid, argv[0], nullptr, nullptr, (char* const*)argv, environ);
    if (err != 0) {
        *why = strerror(err);
        return false;
    }
    // A wait that fails for another reason than a signal (the child already
    // reaped, as when SIGCHLD is ignored) leaves the status at a clean exit.
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    *exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

uint64_t platform_physical_memory() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long page_size = sysconf(_SC_PAGESIZE);
    return pages > 0 && page_size > 0 ? (uint64_t)pages * (uint64_t)page_size : 0;
}

bool platform_set_niceness(int niceness) {
    return setpriority(PRIO_PROCESS, 0, niceness) == 0;
}
