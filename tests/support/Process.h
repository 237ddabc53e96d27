#ifndef PROCESS_H
#define PROCESS_H

#include <string>
#include <vector>

// A directory of its own for one test, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path; }

private:
    std::string path;
};

struct ProcessResult {
    int exitStatus = -1;  // -1 unless the program exited normally
    std::string out;
    std::string err;
};

// Runs a program (no shell) with extra "NAME=value" environment entries,
// standard input from /dev/null, and collects its output. Given `stdoutTo`
// (such as /dev/full), standard output goes to that file instead and `out`
// stays empty.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                         const std::string& stdoutTo = "");

// argv under timeout(1): a program that hangs is ended after `seconds` and
// reports status 124, so the test fails instead of stalling the suite.
std::vector<std::string> Bounded(std::vector<std::string> argv, int seconds = 120);

// A TCP port on 127.0.0.1 that nothing listens on when the call returns.
int FreePort();

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Creates the directory and its parents.
void MakeDirs(const std::string& path);

#endif
