// The zarn-highlight command: files and standard streams, and clear failures.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/HighlightXML.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int exitCode;
  std::string err;
};

class HighlightTool : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("zarn-highlight-test-" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }

  ToolRun Call(const std::string& args) {
    const fs::path err = FDir / "stderr";
    const int status = std::system((std::string(ZARN_HIGHLIGHT) + " " + args + " 2>'" + err.string() + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(err)};
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(FDir / name, std::ios::binary) << text;
    return FDir / name;
  }

  fs::path FDir;
};

TEST_F(HighlightTool, FileAndStreamsGiveTheLibrarysDocument) {
  const std::string text = "<a x=\"1\">t &amp; caf\xC3\xA9</a>\r\n";
  THighlightXML h;
  h.SetText(text);
  const std::string expected = h.GetRtf();
  const fs::path in = Write("in.xml", text), out = FDir / "out.rtf";

  EXPECT_EQ(Call("--xml '" + in.string() + "' -o '" + out.string() + "'").exitCode, 0);
  EXPECT_EQ(Read(out), expected);
  EXPECT_FALSE(fs::exists(out.string() + ".part"));

  const fs::path piped = FDir / "piped.rtf";
  EXPECT_EQ(Call("--xml < '" + in.string() + "' > '" + piped.string() + "'").exitCode, 0);
  EXPECT_EQ(Read(piped), expected);
}

// A file is read in place; one that fills its last page exactly has no byte
// after it, and texts ending inside a string, comment or word scan to the end.
TEST_F(HighlightTool, FilesEndingAtAPageBorderGiveTheLibrarysDocument) {
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  for (const std::string tail : {"", "<a x=\"unterminated", "<!-- open comment", "<tag", "caf\xC3"})
    for (const std::size_t size : {tail.size(), page - 1, page, 2 * page, 2 * page + 1}) {
      std::string text(size - tail.size(), ' ');
      for (std::size_t i = 40; i < text.size(); i += 41) text[i] = '\n';
      text += tail;
      THighlightXML h;
      h.SetText(text);
      const fs::path in = Write("in.xml", text), out = FDir / "out.rtf";
      EXPECT_EQ(Call("--xml '" + in.string() + "' -o '" + out.string() + "'").exitCode, 0);
      EXPECT_EQ(Read(out), h.GetRtf()) << "tail '" << tail << "', " << size << " bytes";
    }
}

TEST_F(HighlightTool, FailuresAreReportedWithNonZeroExit) {
  const ToolRun missing = Call("--html '" + (FDir / "none.html").string() + "'");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
  EXPECT_NE(missing.err.find("none.html"), std::string::npos) << missing.err;

  const ToolRun directory = Call("--html '" + FDir.string() + "'");
  EXPECT_EQ(directory.exitCode, 1);
  EXPECT_NE(directory.err.find("Is a directory"), std::string::npos) << directory.err;

  const fs::path in = Write("in.html", "<p>");
  const ToolRun unwritable = Call("--html '" + in.string() + "' -o '" + (FDir / "no/such/out.rtf").string() + "'");
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;

  EXPECT_EQ(Call("'" + in.string() + "'").exitCode, 2);
  EXPECT_EQ(Call("--html --bogus").exitCode, 2);
}

}  // namespace
