#pragma once
// Writing files that readers never see half-written, and names from outside
// reduced to a name that stays in its folder. Plain C++ and POSIX.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Writes one file so that readers see its old content or the complete new one, never a mix.
// Not copyable or movable: the temporary file's name is registered for the signal handlers.
class SafeFileWriter {
public:
    // What Open() does with a target that is a symbolic link or no regular file.
    enum class Existing {
        FollowLinks, // the caller named the target: write to what it leads to
        Replace, // the name came from outside: the new file replaces the link or special file itself
    };
    explicit SafeFileWriter(std::string target, Existing existing = Existing::FollowLinks); // nothing on disk yet
    ~SafeFileWriter(); // Discard() unless Commit() succeeded
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Prepares writing. A missing or regular target is written through a temporary file with a
    // unique name in the target's folder, never longer than the file system allows (so a 255-byte
    // target name works); with FollowLinks a symbolic link is followed to the file it names (the
    // link stays a link) and a target that is not a regular file (FIFO, device) is written
    // directly; with Replace both are written through a temporary file that takes their place,
    // and seeding never reads through a link. "-" means standard output. seedFromExisting: the temporary file starts as
    // a copy of the current target (a resumed download appends to it); a target written directly is never seeded, so
    // BytesWritten() tells where writing starts. Opening a FIFO waits for its reader, as any
    // writer of a FIFO does. False with errno set on failure (EISDIR for a folder, EALREADY when
    // called twice); nothing is left on disk then.
    bool Open(bool seedFromExisting = false);
    // Writes all of it (short writes and EINTR are retried). False with errno set on failure,
    // EBADF when the writer is not open.
    bool Write(const void* data, std::size_t size);
    // Renames the temporary file over the final file. An existing file keeps its permissions and
    // its replacement's data is synced first, so a power cut leaves the old or the whole new
    // file; a new file gets 0666 & ~umask and is not synced. A target written directly is only
    // closed.
    // False with errno set on failure; the temporary file is removed then.
    bool Commit();
    void Discard(); // removes the temporary file, idempotent
    const std::string& FinalPath() const; // the file on disk that Commit() replaces
    std::uint64_t BytesWritten() const; // bytes in the temporary file so far, seed included

private:
    bool OpenTemporary(bool seedFromExisting);
    bool CreateTemporary();
    bool OpenDirect();
    bool Fail();

    std::string target_;
    Existing existing_;
    std::string finalPath_;
    std::string temporaryPath_; // empty unless writing through a temporary file
    int fd_ = -1;
    bool ownsFd_ = false; // false for standard output
    bool opened_ = false;
    std::uint64_t bytesWritten_ = 0;
};

// Ctrl-C (SIGINT), SIGTERM and SIGHUP (a closed terminal) remove every temporary file still open in this process, then
// the process ends as the signal would end it. A signal the process ignores stays ignored. Safe to call more than once.
void RemoveTemporaryFilesOnSignals();

// Removes the temporary files that writers of target left behind when their process was killed
// (SIGKILL, a power cut) and whose last change is at least minimumAge seconds old; a running
// writer's file is younger than that. Returns how many were removed. Only files named as this
// writer names its temporaries for target are looked at.
int RemoveStaleTemporaryFiles(const std::string& target, long minimumAge = 24 * 60 * 60);

// Removes every temporary file still open in this process. Async-signal-safe: for handlers of
// other fatal signals (SIGBUS on a mapped input cut short) that end the process themselves.
void RemoveTemporaryFilesNow() noexcept;

// Reduces a file name from a server or a page to one safe file name inside the target folder:
// its last path component ('/' and '\\' both separate), without NUL or control characters and
// without the bidirectional controls (U+202A..U+202E, U+2066..U+2069, U+200E, U+200F, U+061C)
// that show "a<U+202E>gpj.exe" as "aexe.jpg", never "", "." or "..", cut to the file system's name limit (255 bytes)
// with its extension kept, without breaking a UTF-8 sequence. fallback is used when nothing is left; it is reduced the
// same way, and "_" stands in when that leaves nothing either.
std::string SafeFileName(std::string_view fromOutside, std::string_view fallback);
