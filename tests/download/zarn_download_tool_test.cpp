#include "FixtureServer.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct RunResult {
    int exitCode;
    std::string out;
};

// Runs the tool with arguments; standard error goes to errFile.
RunResult run(const std::string& args, const std::string& errFile)
{
    const std::string command = std::string(ZARN_DOWNLOAD_EXE) + " " + args + " 2>" + errFile;
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ZarnDownloadToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zarn-download-tool-XXXXXX";
        dir_ = mkdtemp(pattern);
        fixture_.server().set_keep_alive_max_count(1);
        fixture_.server().Get("/report.pdf", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("%PDF", "application/pdf");
        });
        fixture_.start();
    }
    void TearDown() override { fs::remove_all(dir_); }

    FixtureServer fixture_;
    fs::path dir_;
};

TEST_F(ZarnDownloadToolTest, SavesIntoFolderOrFileAndPrintsAnswer)
{
    const std::string err = (dir_ / "err").string();
    RunResult r = run(fixture_.url("/report.pdf") + " --folder " + (dir_ / "f").string(), err);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "200 OK\n" + (dir_ / "f" / "report.pdf").string() + "\n");
    EXPECT_EQ(readFile(dir_ / "f" / "report.pdf"), "%PDF");

    r = run(fixture_.url("/report.pdf") + " -o " + (dir_ / "named.bin").string(), err);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readFile(dir_ / "named.bin"), "%PDF");
}

TEST_F(ZarnDownloadToolTest, FailureExitsNonZeroWithMessage)
{
    const std::string err = (dir_ / "err").string();
    RunResult r = run(fixture_.url("/missing.pdf") + " --folder " + dir_.string(), err);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "404 Not Found\n");
    EXPECT_NE(readFile(err).find("Not Found"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "missing.pdf"));

    EXPECT_EQ(run("", err).exitCode, 2);
    EXPECT_NE(readFile(err).find("usage"), std::string::npos);
}

} // namespace
