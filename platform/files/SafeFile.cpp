#include "platform/files/SafeFile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <memory>
#include <mutex>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kNameMax = 255; // bytes in one file name on the common file systems
constexpr std::size_t kKeptExtensionMax = 32;
constexpr int kLinkHopsMax = 40; // as the kernel allows when it resolves a path
constexpr int kCreateAttempts = 100;
constexpr std::size_t kSuffixLength = 8;
constexpr std::size_t kCopyChunk = 1 << 16;

// Names of the temporary files open in this process. The signal handlers
// read it, so it is a fixed table of atomic pointers: no lock, no allocation.
constexpr std::size_t kTemporarySlots = 1024;
std::atomic<const char*> g_temporaryFiles[kTemporarySlots];
static_assert(std::atomic<const char*>::is_always_lock_free, "the signal handlers read the table");

bool registerTemporary(const char* path)
{
    for (auto& slot : g_temporaryFiles) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, path))
            return true;
    }
    return false;
}

void unregisterTemporary(const char* path)
{
    for (auto& slot : g_temporaryFiles) {
        const char* expected = path;
        if (slot.compare_exchange_strong(expected, nullptr))
            return;
    }
}

// Holds every signal for a scope, so that a handler removing temporary
// files never finds one on disk without it being in the table, nor one in
// the table after it was renamed. Only system calls run in such a scope, so
// no fault signal can arise while it is held.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_;
};

void removeTemporaryFilesAndEnd(int signal)
{
    RemoveTemporaryFilesNow();
    // SA_RESETHAND restored the default action, which ends the process once
    // this handler returns.
    ::raise(signal);
}

void installRemovalHandler(int signal)
{
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
        return;
    struct sigaction action {};
    action.sa_handler = removeTemporaryFilesAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signal, &action, nullptr);
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The longest prefix of at most `limit` bytes that ends between two UTF-8
// sequences. Bytes that are no valid UTF-8 are cut anywhere.
std::size_t utf8CutPoint(std::string_view text, std::size_t limit)
{
    if (limit >= text.size())
        return text.size();
    for (std::size_t cut = limit;; --cut) {
        if (!isContinuationByte(text[cut]))
            return cut;
        if (cut == 0 || limit - cut == 3)
            return limit;
    }
}

// The folder part of a path with its trailing '/', or "" for a bare name.
std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at: the path itself when it is no
// link or does not exist yet.
bool resolveLinks(std::string path, std::string& resolved)
{
    for (int hop = 0; hop < kLinkHopsMax; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 && errno != ENOENT)
            return false;
        if (!S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        char link[PATH_MAX];
        const ssize_t size = ::readlink(path.c_str(), link, sizeof link);
        if (size < 0)
            return false;
        if (static_cast<std::size_t>(size) == sizeof link) {
            errno = ENAMETOOLONG;
            return false;
        }
        const std::string next(link, static_cast<std::size_t>(size));
        path = next.front() == '/' ? next : folderOf(path) + next;
    }
    errno = ELOOP;
    return false;
}

std::string randomSuffix()
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string suffix(kSuffixLength, ' ');
    for (char& c : suffix)
        c = kAlphabet[pick(generator)];
    return suffix;
}

// ".NAME.XXXXXXXX" with NAME cut so that the whole fits the folder's name limit.
std::string temporaryNameStem(const std::string& folder, const std::string& name)
{
    const long folderLimit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    const std::size_t limit = folderLimit > 0 ? static_cast<std::size_t>(folderLimit) : kNameMax;
    const std::size_t room = limit - kSuffixLength - 2;
    return "." + name.substr(0, utf8CutPoint(name, room)) + ".";
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Appends the file at `source` to `fd`; a missing source adds nothing.
bool copyFileInto(const std::string& source, int fd, std::uint64_t& copied)
{
    // The source is a regular file or missing (Open looked); O_NOFOLLOW keeps a
    // link put there since from being read through.
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (in < 0)
        return errno == ENOENT;
    char buffer[kCopyChunk];
    ssize_t size;
    while ((size = ::read(in, buffer, sizeof buffer)) != 0) {
        if (size < 0 && errno == EINTR)
            continue;
        if (size < 0 || !writeAll(fd, buffer, static_cast<std::size_t>(size)))
            break;
        copied += static_cast<std::uint64_t>(size);
    }
    const int error = errno;
    ::close(in);
    errno = error;
    return size == 0;
}

// An existing file's permission bits go to its replacement, whose data is
// synced first: a power cut must leave the old file or the whole new one,
// never an empty replacement. A new file keeps the 0666 & ~umask it was
// created with and is not synced, since a cut can then lose nothing that
// existed before; syncing every new file would make saving many small files
// (a links check, a page's images) several times slower.
bool prepareReplacementOf(const std::string& path, int fd)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISREG(st.st_mode))
        return true; // a link or special file replaced: its mode is no file's mode
    return ::fchmod(fd, st.st_mode & 07777) == 0 && ::fsync(fd) == 0;
}

// The length of the UTF-8 bidirectional control that text starts with: the
// embeddings and overrides U+202A..U+202E, the isolates U+2066..U+2069, the
// marks U+200E, U+200F and U+061C; 0 for anything else.
std::size_t bidiControlLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    if (byte(0) == 0xD8 && byte(1) == 0x9C)
        return 2;
    if (byte(0) != 0xE2)
        return 0;
    const unsigned second = byte(1), third = byte(2);
    const bool control = (second == 0x80 && ((third >= 0xAA && third <= 0xAE) || third == 0x8E || third == 0x8F))
        || (second == 0x81 && third >= 0xA6 && third <= 0xA9);
    return control ? 3 : 0;
}

std::string reducedName(std::string_view name)
{
    while (!name.empty() && (name.back() == '/' || name.back() == '\\'))
        name.remove_suffix(1);
    const auto separator = name.find_last_of("/\\");
    if (separator != std::string_view::npos)
        name.remove_prefix(separator + 1);

    // C0 controls, DEL and the C1 controls (U+0080..U+009F, "\xC2\x80".."\xC2\x9F").
    std::string kept;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F)
            continue;
        if (const std::size_t control = bidiControlLength(name.substr(i)); control > 0) {
            i += control - 1;
            continue;
        }
        if (c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9F
            && isContinuationByte(name[i + 1])) {
            ++i;
            continue;
        }
        kept += static_cast<char>(c);
    }
    if (kept == "." || kept == "..")
        return {};
    if (kept.size() <= kNameMax)
        return kept;

    const auto dot = kept.rfind('.');
    std::size_t extension = dot != std::string::npos && dot > 0 ? kept.size() - dot : 0;
    if (extension > kKeptExtensionMax)
        extension = 0;
    const std::size_t stem = utf8CutPoint(kept, kNameMax - extension);
    return kept.substr(0, stem) + kept.substr(kept.size() - extension);
}

} // namespace

SafeFileWriter::SafeFileWriter(std::string target, Existing existing)
    : target_(std::move(target)), existing_(existing), finalPath_(target_)
{}

SafeFileWriter::~SafeFileWriter() { Discard(); }

bool SafeFileWriter::Open(bool seedFromExisting)
{
    if (opened_) {
        errno = EALREADY;
        return false;
    }
    if (target_ == "-") {
        fd_ = STDOUT_FILENO;
        opened_ = true;
        return true;
    }
    const bool replace = existing_ == Existing::Replace;
    if (!replace && !resolveLinks(target_, finalPath_))
        return false;
    const std::string name = nameOf(finalPath_);
    struct stat st {};
    const bool exists = (replace ? ::lstat(finalPath_.c_str(), &st) : ::stat(finalPath_.c_str(), &st)) == 0;
    if (name.empty() || (exists && S_ISDIR(st.st_mode))) {
        errno = finalPath_.empty() ? ENOENT : EISDIR;
        return false;
    }
    if (exists && !S_ISREG(st.st_mode))
        opened_ = replace ? OpenTemporary(false) : OpenDirect();
    else
        opened_ = OpenTemporary(seedFromExisting);
    return opened_;
}

bool SafeFileWriter::OpenDirect()
{
    fd_ = ::open(finalPath_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    ownsFd_ = fd_ >= 0;
    return ownsFd_;
}

bool SafeFileWriter::OpenTemporary(bool seedFromExisting)
{
    return CreateTemporary() && (!seedFromExisting || copyFileInto(finalPath_, fd_, bytesWritten_) || Fail());
}

bool SafeFileWriter::CreateTemporary()
{
    const std::string folder = folderOf(finalPath_);
    const std::string stem = folder + temporaryNameStem(folder, nameOf(finalPath_));
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const SignalsHeld held;
        std::string path = stem + randomSuffix();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        fd_ = fd;
        ownsFd_ = true;
        temporaryPath_ = std::move(path);
        if (!registerTemporary(temporaryPath_.c_str())) {
            errno = EMFILE;
            return Fail();
        }
        return true;
    }
    errno = EEXIST;
    return false;
}

bool SafeFileWriter::Write(const void* data, std::size_t size)
{
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (!writeAll(fd_, static_cast<const char*>(data), size))
        return false;
    bytesWritten_ += size;
    return true;
}

bool SafeFileWriter::Commit()
{
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (temporaryPath_.empty()) {
        const int fd = fd_;
        fd_ = -1;
        return !ownsFd_ || ::close(fd) == 0;
    }
    if (!prepareReplacementOf(finalPath_, fd_))
        return Fail();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return Fail();
    const SignalsHeld held;
    if (::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0)
        return Fail();
    unregisterTemporary(temporaryPath_.c_str());
    temporaryPath_.clear();
    return true;
}

void SafeFileWriter::Discard()
{
    const int error = errno;
    if (fd_ >= 0 && ownsFd_)
        ::close(fd_);
    fd_ = -1;
    if (!temporaryPath_.empty()) {
        const SignalsHeld held;
        ::unlink(temporaryPath_.c_str());
        unregisterTemporary(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
    errno = error;
}

bool SafeFileWriter::Fail()
{
    Discard();
    return false;
}

const std::string& SafeFileWriter::FinalPath() const { return finalPath_; }

std::uint64_t SafeFileWriter::BytesWritten() const { return bytesWritten_; }

void RemoveTemporaryFilesOnSignals()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        installRemovalHandler(SIGINT);
        installRemovalHandler(SIGTERM);
        installRemovalHandler(SIGHUP);
    });
}

int RemoveStaleTemporaryFiles(const std::string& target, long minimumAge)
{
    const std::string folder = folderOf(target);
    const std::string stem = temporaryNameStem(folder, nameOf(target));
    struct DirCloser {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return 0;
    const auto isSuffix = [](std::string_view text) {
        return text.size() == kSuffixLength && std::all_of(text.begin(), text.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c));
        });
    };
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name.size() != stem.size() + kSuffixLength || name.substr(0, stem.size()) != stem
            || !isSuffix(name.substr(stem.size())))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || now - st.st_mtime < minimumAge)
            continue;
        if (::unlinkat(::dirfd(dir.get()), entry->d_name, 0) == 0)
            ++removed;
    }
    return removed;
}

void RemoveTemporaryFilesNow() noexcept
{
    for (auto& slot : g_temporaryFiles)
        if (const char* path = slot.load())
            ::unlink(path);
}

std::string SafeFileName(std::string_view fromOutside, std::string_view fallback)
{
    for (const std::string_view candidate : {fromOutside, fallback})
        if (std::string name = reducedName(candidate); !name.empty())
            return name;
    return "_";
}
