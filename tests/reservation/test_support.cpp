#include "test_support.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavelo::test {

namespace {

std::string MakeTempFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string path = std::string(base && *base ? base : "/tmp") + "/tavelo-reserve-XXXXXX";
    if (!::mkdtemp(path.data()))
        std::abort();
    return path;
}

} // namespace

TempDir::TempDir() : m_path(MakeTempFolder()) {}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> TempDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

SubjectList MakeBook(const std::string& tag, std::size_t subjects, std::size_t approxBytes)
{
    SubjectList list;
    const std::size_t perSubject = subjects ? approxBytes / subjects : 0;
    for (std::size_t i = 0; i < subjects; ++i) {
        auto s = std::make_unique<CTenorels>("Impôts " + tag, tag + " sujet " + std::to_string(i), static_cast<std::int32_t>(i % 2));
        s->SetExpectedText("Attendu " + tag);
        std::size_t written = 0;
        for (int d = 0; written < perSubject; ++d) {
            std::string path = "/home/ana/Factures/" + tag + "/document-" + std::to_string(i) + "-" + std::to_string(d) + ".pdf";
            written += path.size() + 1;
            s->AddDocumentPath(std::move(path));
        }
        list.push_back(std::move(s));
    }
    return list;
}

bool SameBook(const SubjectList& a, const SubjectList& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) { return *x == *y; });
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SendByte(int fd, char c)
{
    while (::write(fd, &c, 1) < 0 && errno == EINTR) {
    }
}

char ReceiveByte(int fd, int timeoutMs)
{
    struct pollfd p {fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return 0;
    char c = 0;
    if (::read(fd, &c, 1) != 1)
        return 0;
    return c;
}

ChildProcess::ChildProcess(const Body& body)
{
    int down[2];
    int up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0)
        std::abort();
    m_pid = ::fork();
    if (m_pid < 0)
        std::abort();
    if (m_pid == 0) {
        ::close(down[1]);
        ::close(up[0]);
        body(down[0], up[1]);
        ::_exit(0);
    }
    ::close(down[0]);
    ::close(up[1]);
    m_toChild = down[1];
    m_fromChild = up[0];
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        Kill();
        Wait();
    }
    if (m_toChild >= 0)
        ::close(m_toChild);
    if (m_fromChild >= 0)
        ::close(m_fromChild);
}

void ChildProcess::Send(char c) const
{
    SendByte(m_toChild, c);
}

char ChildProcess::Receive(int timeoutMs) const
{
    return ReceiveByte(m_fromChild, timeoutMs);
}

void ChildProcess::Kill()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGKILL);
}

int ChildProcess::Wait()
{
    if (m_pid <= 0)
        return -1;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

ScratchTmpfs::ScratchTmpfs(std::size_t size)
{
    if (::geteuid() != 0)
        return;
    m_dir = MakeTempFolder();
    const std::string options = "size=" + std::to_string(size) + ",mode=0755";
    if (::mount("tavelo-test", m_dir.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        ::rmdir(m_dir.c_str());
        m_dir.clear();
        return;
    }
    m_path = m_dir;
}

bool ScratchTmpfs::RemountReadOnly()
{
    return ::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

ScratchTmpfs::~ScratchTmpfs()
{
    if (m_path.empty())
        return;
    if (::umount2(m_path.c_str(), MNT_DETACH) == 0)
        ::rmdir(m_dir.c_str());
}

} // namespace tavelo::test
