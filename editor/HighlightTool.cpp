// zarn-highlight: colours HTML or XML source as an RTF document.
//   zarn-highlight --html|--xml [IN] [-o OUT]
// Reads standard input and writes standard output when IN or OUT is omitted.
// OUT is written through a temporary file and renamed, so a failed run never
// leaves a truncated document behind.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "editor/HighlightHTML.h"
#include "editor/HighlightXML.h"

namespace {

constexpr const char* kUsage = "usage: zarn-highlight --html|--xml [IN] [-o OUT]\n";

int Fail(const std::string& message) {
  std::cerr << "zarn-highlight: " << message << "\n";
  return 1;
}

// Reads everything from `fd` into `text`, straight into the string's storage;
// `expected` sizes the first read. A large text is asked for in huge pages,
// which saves the kernel thousands of page faults while it is filled.
bool ReadAll(int fd, std::string& text, std::size_t expected = 0) {
  text.reserve(expected);
  constexpr std::uintptr_t kHugePage = 2 << 20;
  const auto start = (reinterpret_cast<std::uintptr_t>(text.data()) + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(text.data()) + text.capacity()) & ~(kHugePage - 1);
  if (start < end) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  text.resize(expected);
  std::size_t used = 0;
  for (;;) {
    if (used == text.size()) text.resize(std::max<std::size_t>(text.size() * 2, used + 65536));
    const ssize_t n = ::read(fd, text.data() + used, text.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      text.resize(used);
      return n == 0;
    }
    used += static_cast<std::size_t>(n);
  }
}

// Reads the whole of `path` ("" for standard input); errno is kept on failure.
bool ReadInput(const std::string& path, std::string& text) {
  if (path.empty()) return ReadAll(STDIN_FILENO, text);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    ok = false;
  }
  // One byte more than the file so that the second read sees the end at once.
  const std::size_t expected = ok && S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) + 1 : 0;
  ok = ok && ReadAll(fd, text, expected);
  const int err = errno;
  ::close(fd);
  errno = err;
  return ok;
}

bool WriteOutput(THighlightRichSyntax& highlighter, const std::string& path) {
  if (path.empty()) {
    highlighter.SaveToStream(std::cout);
    std::cout.flush();
    return static_cast<bool>(std::cout);
  }
  const std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    highlighter.SaveToStream(out);
    out.close();
    if (!out) {
      const int err = errno;
      std::remove(temp.c_str());
      errno = err;
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    std::remove(temp.c_str());
    errno = err;
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::unique_ptr<THighlightRichSyntax> highlighter;
  std::string in, out;
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
      std::cout << kUsage;
      return 0;
    } else if (!haveIn && (arg == "-" || arg.empty() || arg[0] != '-')) {
      in = arg == "-" ? "" : arg;
      haveIn = true;
    } else {
      std::cerr << "zarn-highlight: unexpected argument '" << arg << "'\n" << kUsage;
      return 2;
    }
  }
  if (!highlighter) {
    std::cerr << "zarn-highlight: choose --html or --xml\n" << kUsage;
    return 2;
  }

  std::string text;
  if (!ReadInput(in, text))
    return Fail("cannot read " + (in.empty() ? std::string("standard input") : "'" + in + "'") +
                ": " + std::strerror(errno));
  highlighter->SetText(text);
  if (!WriteOutput(*highlighter, out))
    return Fail("cannot write " + (out.empty() ? std::string("standard output") : "'" + out + "'") +
                ": " + std::strerror(errno));
  return 0;
}
