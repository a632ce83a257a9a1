#pragma once
// Helpers of the reservation tests: scratch folders, books of a given size,
// child processes that play another instance, a scratch tmpfs.

#include <functional>
#include <string>
#include <vector>
#include <sys/types.h>

#include "book/book_file.h"

namespace tavelo::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string m_path;
};

// A book of `subjects` subjects whose names carry `tag`, with enough document
// paths to reach about `approxBytes`.
SubjectList MakeBook(const std::string& tag, std::size_t subjects, std::size_t approxBytes = 0);
bool SameBook(const SubjectList& a, const SubjectList& b);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Another instance: a forked child running `body` with a pipe each way, ended
// with _exit (status 0 when the body returns).
class ChildProcess {
public:
    using Body = std::function<void(int fromParent, int toParent)>;
    explicit ChildProcess(const Body& body);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }
    void Send(char c) const;
    // The next byte from the child, or 0 after `timeoutMs` or at its end.
    char Receive(int timeoutMs = 10000) const;
    void Kill();
    // The exit status (or 128 + signal).
    int Wait();

private:
    pid_t m_pid = -1;
    int m_toChild = -1;
    int m_fromChild = -1;
};

void SendByte(int fd, char c);
char ReceiveByte(int fd, int timeoutMs = 10000);

// A tmpfs of `size` bytes mounted on a new folder; Path() is empty when the
// process may not mount (not root, no capability).
class ScratchTmpfs {
public:
    explicit ScratchTmpfs(std::size_t size);
    ~ScratchTmpfs();
    ScratchTmpfs(const ScratchTmpfs&) = delete;
    ScratchTmpfs& operator=(const ScratchTmpfs&) = delete;
    const std::string& Path() const { return m_path; }
    bool RemountReadOnly();

private:
    std::string m_path;
    std::string m_dir;
};

} // namespace tavelo::test
