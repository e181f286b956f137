#pragma once
// The frame every zarn-* command-line tool shares: its usage and --help, its
// exit status, its failure messages, and printing that cannot drive the
// user's terminal. Plain C++, so that tools without Qt use it too.
//
// Exit status: 0 the work was done, 1 it failed (with a message on standard
// error saying why), 2 the command line was wrong (the usage on standard
// error). A tool's main() parses its arguments, answers --help through
// Help(), wrong arguments through BadUsage() and failures through Fail().
//
// Text from outside (a page, a server, a file name) may hold escape
// sequences that move the cursor, retitle or rewrite the terminal, or, on
// some terminals, answer back as if typed. Such text goes out through
// PrintLine (or Safe for a message): while the stream is a terminal every
// control character is shown as \xNN instead; into a file or a pipe the
// text goes out unchanged, so that the output is the data itself.
#include <cstdio>
#include <string>
#include <string_view>

#include <unistd.h>

namespace cli {

enum ExitStatus : int { Success = 0, Failure = 1, BadUsageStatus = 2 };

// Control characters shown as \xNN: C0 except tab, DEL, and the C1 controls
// (U+0080..U+009F, in UTF-8 0xC2 0x80..0x9F), which some terminals take as
// ESC sequences too. Everything else, invalid UTF-8 included, passes.
inline std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    auto escape = [&out](unsigned char byte) {
        static constexpr char digits[] = "0123456789ABCDEF";
        out += "\\x";
        out += digits[byte >> 4];
        out += digits[byte & 0xF];
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            escape(byte);
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80
            && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            escape(byte);
            escape(static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

// Whether the stream is a terminal (and so must not get control characters).
inline bool IsTerminal(FILE* stream) { return isatty(fileno(stream)) == 1; }

// The text as it may go to stream: escaped on a terminal, else unchanged.
inline std::string Safe(FILE* stream, std::string_view text)
{
    return IsTerminal(stream) ? Escaped(text) : std::string(text);
}

// Writes text and a line break to stream (standard output by default),
// escaped on a terminal. False when the stream failed.
inline bool PrintLine(std::string_view text, FILE* stream = stdout)
{
    const std::string line = Safe(stream, text);
    return std::fwrite(line.data(), 1, line.size(), stream) == line.size() && std::fputc('\n', stream) != EOF;
}

// Standard output flushed: false when what was printed could not be written
// (a full disk, a closed pipe).
inline bool Flushed() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

// One tool's frame: its name (the prefix of every message), its usage (one
// or a few lines, each ending in "\n") and the rest of its --help.
struct Tool {
    const char* name; // "zarn-page"
    const char* usage; // "usage: zarn-page links|source|text|images URL [--timeout MS]\n"
    const char* help;

    // --help: the usage and help on standard output; Success.
    int Help() const
    {
        std::fputs(usage, stdout);
        std::fputs(help, stdout);
        return Flushed() ? Success : Failure;
    }

    // Wrong arguments: "<name>: why" when there is a reason, the usage and a
    // pointer to --help on standard error; BadUsageStatus.
    int BadUsage(std::string_view why = {}) const
    {
        if (!why.empty())
            std::fprintf(stderr, "%s: %s\n", name, Escaped(why).c_str());
        std::fprintf(stderr, "%sTry '%s --help'.\n", usage, name);
        return BadUsageStatus;
    }

    // A failure: "<name>: message" on standard error, with its control
    // characters always escaped (a message is read, never parsed); Failure.
    int Fail(std::string_view message) const
    {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", name, Escaped(message).c_str());
        return Failure;
    }

    // The end of a run that printed its result: Success, or a failure when
    // standard output could not be written.
    int Done() const { return Flushed() ? Success : Fail("the output could not be written"); }
};

} // namespace cli
