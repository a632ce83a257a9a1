// Books that are not regular files, and a book whose counts ask for more memory
// than there is: every reader refuses them at once, with a French reason,
// instead of waiting for ever, reading without end or ending the program.
// Each case runs in a child process, so that a reader that hangs fails the
// test instead of stopping it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "book/held_file.h"
#include "book/merge.h"
#include "cli/commands.h"
#include "test_support.h"

namespace tavelo {
namespace {

constexpr const char* kNotRegular = "pas un fichier ordinaire";

// What a reader of the book says: empty when it read the book.
using Reader = std::string (*)(const std::string& path);

std::string ByCli(int (*command)(const cli::Args&, cli::Streams), cli::Args args)
{
    std::ostringstream out;
    std::ostringstream err;
    return command(args, {out, err}) == 0 ? std::string() : err.str();
}

const std::pair<const char*, Reader> kReaders[] = {
    {"window", [](const std::string& p) {
         bool readOnly = false;
         HeldFileStatus status;
         auto held = OpenHeldFile(p, readOnly, false, &status);
         return held ? std::string() : status.reason;
     }},
    {"merge", [](const std::string& p) {
         const MergeRead read = ReadBookForMerge(p);
         return read.outcome == MergeReadOutcome::kRead ? std::string() : read.message;
     }},
    {"dump", [](const std::string& p) { return ByCli(cli::RunDump, {p}); }},
    {"check", [](const std::string& p) { return ByCli(cli::RunCheck, {p}); }},
    {"search", [](const std::string& p) { return ByCli(cli::RunSearch, {p, "edf"}); }},
};

// Runs the reader in a child; its answer, or "(no answer)" when it hangs.
std::string InChild(Reader reader, const std::string& path)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "(pipe)";
    test::ChildProcess child([&](int, int out) {
        const std::string said = reader(path);
        (void)::write(pipeFds[1], said.data(), said.size());
        test::SendByte(out, 'D');
    });
    ::close(pipeFds[1]);
    if (child.Receive(20000) != 'D') {
        ::close(pipeFds[0]);
        return "(no answer)";
    }
    char buffer[4096];
    const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
    ::close(pipeFds[0]);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

TEST(OddBooksTest, BooksThatAreNotRegularFilesAreRefusedAtOnce)
{
    test::TempDir dir;
    const std::string fifo = dir.File("Tube.tvo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string zero = dir.File("Zero.tvo");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    const std::string socketPath = dir.File("Prise.tvo");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    struct sockaddr_un address {};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    for (const std::string& path : {fifo, zero, std::string("/dev/null"), socketPath}) {
        for (const auto& [name, reader] : kReaders) {
            SCOPED_TRACE(path + " by " + name);
            const std::string said = InChild(reader, path);
            EXPECT_NE(said.find(kNotRegular), std::string::npos) << said;
        }
    }
    ::close(s);
}

// A book with one subject whose document count is `count`, padded with zero
// bytes (empty paths) to its full length: a sparse file on disk.
void WriteCraftedBook(const std::string& path, std::uint32_t count)
{
    std::string head("\x01\x00\xFF\xFF\x02\x00\x09\x00" "CTenorels" "\x00\x00\x00\x00\x00\x00\x00" "\xFF\xFF", 26);
    for (int i = 0; i < 4; ++i)
        head.push_back(static_cast<char>((count >> (8 * i)) & 0xFF));
    test::WriteFileBytes(path, head);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(head.size() + count)), 0);
}

long AddressSpaceInUse()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmSize:", 0) == 0)
            return std::stol(line.substr(7)) * 1024;
    }
    return 0;
}

// Runs `body` in a child whose address space is limited to one gibibyte more
// than it uses now: as far as it can tell, the machine has no more memory.
test::ChildProcess WithLittleMemory(const std::function<void()>& body)
{
    return test::ChildProcess([body](int, int) {
        const rlim_t limit = static_cast<rlim_t>(AddressSpaceInUse()) + (rlim_t{1} << 30);
        const struct rlimit rl {limit, limit};
        ::setrlimit(RLIMIT_AS, &rl);
        body();
    });
}

TEST(OddBooksTest, CountsAskingForMoreMemoryThanThereIsMakeAnUnreadableBook)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit this test sets";
#endif
    test::TempDir dir;
    const std::string book = dir.File("Piege.tvo");
    WriteCraftedBook(book, 96u << 20);
    const std::string said = dir.File("said");

    // The merge reports an unreadable book, and the window goes on.
    {
        test::ChildProcess child = WithLittleMemory([&] {
            std::string text;
            try {
                const MergeRead read = ReadBookForMerge(book);
                text = read.outcome == MergeReadOutcome::kDamaged && read.subjects.empty() ? read.message : "(read)";
            } catch (const std::exception& e) {
                text = std::string("(escaped) ") + e.what();
            }
            test::WriteFileBytes(said, text);
        });
        EXPECT_EQ(child.Wait(), 0);
        EXPECT_NE(test::ReadFileBytes(said).find("mémoire"), std::string::npos) << test::ReadFileBytes(said);
    }

    // The command-line tool ends with a French message and its failure status,
    // never with an abort.
    const std::vector<std::pair<std::vector<std::string>, int>> runs = {
        {{"dump", book}, 1}, {{"check", book}, 1}, {{"search", book, "edf"}, 2}, {{"export", book, dir.Path()}, 1}};
    for (const auto& [args, status] : runs) {
        SCOPED_TRACE(args[0]);
        test::ChildProcess child = WithLittleMemory([&, args = args] {
            const int fd = ::open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 2);
            std::vector<char*> argv{const_cast<char*>(TAVELO_CLI)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(TAVELO_CLI, argv.data());
            ::_exit(127);
        });
        EXPECT_EQ(child.Wait(), status);
        EXPECT_NE(test::ReadFileBytes(said).find("mémoire"), std::string::npos) << test::ReadFileBytes(said);
    }
}

} // namespace
} // namespace tavelo
