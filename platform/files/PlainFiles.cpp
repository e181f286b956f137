#include "platform/files/PlainFiles.h"

#include <cerrno>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBlock = 16384; // a shortcut fits in one read

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

FolderEntry entryOf(int folderFd, const dirent& entry)
{
    FolderEntry result{entry.d_name, entry.d_type == DT_DIR, entry.d_type == DT_LNK};
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return result;
    struct stat st {};
    if (entry.d_type == DT_UNKNOWN && ::fstatat(folderFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        result.isLink = S_ISLNK(st.st_mode);
    result.isFolder = ::fstatat(folderFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    return result;
}

} // namespace

bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries)
{
    entries.clear();
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir)
        return false;
    const int fd = ::dirfd(dir.get());
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!isDot(entry->d_name))
            entries.push_back(entryOf(fd, *entry));
        errno = 0;
    }
    if (errno != 0) {
        entries.clear();
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& content, std::size_t maxBytes)
{
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    char block[kBlock];
    ssize_t got;
    while ((got = ::read(fd, block, sizeof block)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || content.size() + std::size_t(got) > maxBytes)
            break;
        content.append(block, std::size_t(got));
    }
    const int error = got > 0 ? EFBIG : errno;
    ::close(fd);
    if (got != 0)
        content.clear();
    errno = error;
    return got == 0;
}
