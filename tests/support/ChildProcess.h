#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// Child processes of the tests (agents, tools): started with posix_spawn,
// waited for within a bound, stopped by their process id.
namespace krwtest {

// Starts argv[0] with argv and env. Standard input comes from stdinFd (or
// /dev/null when it is -1); standard output and error go to the given
// descriptors. Returns the process id, or -1.
pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> env, int stdinFd, int stdoutFd, int stderrFd);

// Waits for the child within the bound and kills it when the bound passes.
// Returns its exit status, or -1 when it did not exit by itself.
int WaitForExit(pid_t child, std::chrono::steady_clock::duration bound);

// Sends SIGTERM, waits within the bound, then SIGKILL.
void StopChild(pid_t child, std::chrono::steady_clock::duration bound);

// Reads until end of file or until the bound passes.
std::string ReadAll(int fd, std::chrono::steady_clock::duration bound);

// Reads one line (without its newline) within the bound; false at end of
// file or when the bound passes first.
bool ReadLine(int fd, std::string* line, std::chrono::steady_clock::duration bound);

// Runs argv to its end (bounded) and returns its standard output;
// *status receives its exit status (-1 when it did not end by itself).
// Standard error goes to errorsFd, or to /dev/null for -1.
std::string RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env, int* status,
                       int errorsFd = -1);

// Starts argv (standard input from stdinFd, or /dev/null for -1) and reads
// its first line, which must be announcePrefix followed by the port it
// listens on. Returns that port, or 0 (the child stopped) when it does not
// come within the bound. With output given, the rest of the child's
// standard output stays readable there (the caller closes it).
unsigned short SpawnAnnouncingPort(const std::vector<std::string>& argv, const std::string& announcePrefix, int stdinFd,
                                   pid_t* pid, int* output = nullptr);

// A program's output, line by line.
std::vector<std::string> OutputLines(const std::string& text);

// The process environment with these entries replaced or added.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& entries);

// What a child prints on its standard output after its announcement, line
// by line as it comes (a child that logs every request it gets prints a line
// each).
class CChildLines {
public:
    CChildLines() = default;
    ~CChildLines();
    CChildLines(const CChildLines&) = delete;
    CChildLines& operator=(const CChildLines&) = delete;

    // Reads from fd from now on, and closes it in the end.
    void Attach(int fd);
    void Close();
    // How many of the lines printed so far start with prefix. Reads what has
    // come and does not wait; lines already counted for a prefix are not
    // looked at again.
    int Count(const std::string& prefix);
    // Waits until count lines starting with prefix have been printed; false
    // when the bound passes first or the child closes its output.
    bool WaitFor(const std::string& prefix, int count, std::chrono::steady_clock::duration bound);

private:
    void ReadAvailable();

    int fd = -1;
    std::string partial;
    std::vector<std::string> lines;
    std::vector<std::pair<std::string, std::pair<size_t, int>>> counted;  // prefix: lines seen, count
};

}  // namespace krwtest
