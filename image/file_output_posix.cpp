#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "image/file_output.h"

namespace tav::file_output {

std::FILE* Open(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::FILE* CreateNew(const std::filesystem::path& path, const std::filesystem::path& like) {
    struct stat old {};
    const bool hasOld = ::stat(like.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // Never wider than the old file, not even for a moment: the umask can only
    // narrow the mode given here, and fchmod below sets it exactly.
    const mode_t mode = hasOld ? (old.st_mode & 07777) : 0666;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        return nullptr;
    }
    if (hasOld) {
        // Owner first: changing it may clear the set-id bits that fchmod sets.
        // Only root can give a file away; others keep the group where allowed.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        }
        (void)::fchmod(fd, mode);
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(path.c_str());
    }
    return file;
}

bool WriteProtected(const std::filesystem::path& path) {
    // The effective ids, as an open for writing would check them (the tests
    // and a set-id program differ from the real ones).
    return ::faccessat(AT_FDCWD, path.c_str(), F_OK, AT_EACCESS) == 0 &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 &&
           (errno == EACCES || errno == EPERM || errno == EROFS);
}

bool HasOtherNames(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && status.st_nlink > 1;
}

bool FlushToDisk(std::FILE* file) {
    return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace tav::file_output
