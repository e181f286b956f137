// zarn-highlight: colours HTML or XML source as an RTF document.
//   zarn-highlight --html|--xml [IN] [-o OUT]
// Reads standard input and writes standard output when IN or OUT is omitted
// or "-". A file OUT is replaced only by a complete document: a failed or
// interrupted run leaves the old file and no temporary file behind.

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "highlight/HighlightHTML.h"
#include "highlight/HighlightXML.h"
#include "platform/cli/CommandLine.h"
#include "platform/files/SafeFile.h"

namespace {

constexpr const char* kUsage = "usage: zarn-highlight --html|--xml [IN] [-o OUT]\n";

constexpr const char* kHelp = "Colours HTML (--html) or XML (--xml) source as an RTF document.\n"
                              "\n"
                              "  IN          the source file; standard input when omitted or \"-\"\n"
                              "  -o OUT      the RTF file, replaced only by a complete document; standard\n"
                              "              output when omitted or \"-\"\n"
                              "  -h, --help  show this help\n"
                              "\n"
                              "Exit status: 0 written, 1 the input could not be read or the output written,\n"
                              "2 bad usage.\n";

const cli::Tool tool{"zarn-highlight", kUsage, kHelp};

// Touching a page of a mapped input that another program cut short raises
// SIGBUS. The run then ends as any failed read does: a message, no partial
// output left behind, exit status 1.
void InputCutShort(int)
{
    static const char message[] = "zarn-highlight: the input file was cut short while it was read\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, sizeof message - 1);
    RemoveTemporaryFilesNow();
    ::_exit(1);
}

int Fail(const std::string& message) { return tool.Fail(message); }

// The input text, followed by a NUL as the highlighters require. A regular
// file is mapped into memory, which spares copying it; anything else is read
// into a string.
class TInput {
public:
    TInput() = default;
    TInput(const TInput&) = delete;
    TInput& operator=(const TInput&) = delete;
    ~TInput()
    {
        if (map_)
            ::munmap(map_, mapSize_);
    }

    // Reads `path` ("" for standard input); errno is kept on failure.
    bool Open(const std::string& path)
    {
        const int fd = path.empty() ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0;
        if (ok && S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            ok = false;
        }
        // Standard input may stand anywhere in its file, and files that report no
        // size (those under /proc) have their text only for reading.
        const bool mappable = !path.empty() && S_ISREG(st.st_mode) && st.st_size > 0;
        ok = ok && ((mappable && Map(fd, static_cast<std::size_t>(st.st_size))) || ReadAll(fd));
        const int err = errno;
        if (fd != STDIN_FILENO)
            ::close(fd);
        errno = err;
        return ok;
    }

    std::string_view Text() const { return text_; }

private:
    // Maps the file over a zeroed range at least one byte longer, so that a
    // NUL follows the text even when it fills its last page. False when the
    // file cannot be mapped; it is read instead.
    bool Map(int fd, std::size_t size)
    {
        const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        const std::size_t span = (size / page + 1) * page;
        void* map = ::mmap(nullptr, span, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED)
            return false;
        if (::mmap(map, size, PROT_READ, MAP_PRIVATE | MAP_FIXED | MAP_POPULATE, fd, 0) == MAP_FAILED) {
            ::munmap(map, span);
            return false;
        }
        map_ = map;
        mapSize_ = span;
        std::signal(SIGBUS, InputCutShort);
        text_ = {static_cast<const char*>(map), size};
        return true;
    }

    // Reads everything from `fd`, straight into the string's storage.
    bool ReadAll(int fd)
    {
        std::size_t used = 0;
        for (;;) {
            if (used == read_.size())
                read_.resize(std::max<std::size_t>(read_.size() * 2, used + 65536));
            const ssize_t n = ::read(fd, read_.data() + used, read_.size() - used);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                read_.resize(used);
                text_ = read_;
                return n == 0;
            }
            used += static_cast<std::size_t>(n);
        }
    }

    std::string read_;
    void* map_ = nullptr;
    std::size_t mapSize_ = 0;
    std::string_view text_;
};

// Hands what the highlighter streams straight to the writer. The highlighter
// writes in large chunks, so this buffer keeps none of its own.
class TWriterBuf : public std::streambuf {
public:
    explicit TWriterBuf(SafeFileWriter& writer) : FWriter(writer) {}
    // errno of the write that failed, 0 while none did.
    int Error() const { return FError; }

protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override
    {
        if (FWriter.Write(data, static_cast<std::size_t>(size)))
            return size;
        FError = errno;
        return 0;
    }
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

private:
    SafeFileWriter& FWriter;
    int FError = 0;
};

// Writes the document to `target` ("-" for standard output); errno is kept
// on failure.
bool WriteOutput(THighlightRichSyntax& highlighter, const std::string& target)
{
    SafeFileWriter writer(target);
    if (!writer.Open())
        return false;
    TWriterBuf buffer(writer);
    std::ostream out(&buffer);
    highlighter.SaveToStream(out);
    if (!out) {
        errno = buffer.Error();
        return false;
    }
    return writer.Commit();
}

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    RemoveTemporaryFilesOnSignals();
    std::unique_ptr<THighlightRichSyntax> highlighter;
    std::string in, out = "-";
    bool haveIn = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--html") {
            highlighter = std::make_unique<THighlightHTML>();
        } else if (arg == "--xml") {
            highlighter = std::make_unique<THighlightXML>();
        } else if (arg == "-o" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            return tool.Help();
        } else if (!haveIn && (arg == "-" || arg.empty() || arg[0] != '-')) {
            in = arg == "-" ? "" : arg;
            haveIn = true;
        } else {
            return tool.BadUsage("unexpected argument '" + arg + "'");
        }
    }
    if (!highlighter) {
        return tool.BadUsage("choose --html or --xml");
    }

    TInput input;
    if (!input.Open(in))
        return Fail("cannot read " + (in.empty() ? std::string("standard input") : "'" + in + "'") + ": "
            + std::strerror(errno));
    highlighter->SetSource(input.Text(), 1);
    if (!WriteOutput(*highlighter, out))
        return Fail("cannot write " + (out == "-" ? std::string("standard output") : "'" + out + "'") + ": "
            + std::strerror(errno));
    return 0;
}
