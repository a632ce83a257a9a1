// Books that are not regular files, and a book whose counts ask for more memory
// than there is: every reader refuses them at once with a French reason,
// instead of waiting for ever, reading without end or ending the program.
// Each reader runs in a child process, so that one that hangs fails the test.

#include <gtest/gtest.h>

#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "book/held_file.h"
#include "book/merge.h"
#include "cli/commands.h"
#include "test_support.h"

namespace tavelo {
namespace {

std::string Cli(int (*command)(const cli::Args&, cli::Streams), cli::Args args)
{
    std::ostringstream out, err;
    return command(args, {out, err}) == 0 ? std::string() : err.str();
}

// What each reader says of a book: empty when it read it.
const std::pair<const char*, std::string (*)(const std::string&)> kReaders[] = {
    {"window", [](const std::string& p) {
         bool readOnly = false;
         HeldFileStatus status;
         return OpenHeldFile(p, readOnly, false, &status) ? std::string() : status.reason;
     }},
    {"merge", [](const std::string& p) {
         const MergeRead read = ReadBookForMerge(p);
         return read.outcome == MergeReadOutcome::kRead ? std::string() : read.message;
     }},
    {"dump", [](const std::string& p) { return Cli(cli::RunDump, {p}); }},
    {"search", [](const std::string& p) { return Cli(cli::RunSearch, {p, "edf"}); }},
};

// Runs `body` in a child: what it says, or "(no answer)". With `littleMemory`
// the child has 1.5 GiB of address space: as far as it knows, no more exists.
std::string InChild(const test::TempDir& dir, bool littleMemory, const std::function<std::string()>& body)
{
    const std::string said = dir.File("said");
    test::ChildProcess child([&](int, int out) {
        const struct rlimit rl {rlim_t{1536} << 20, rlim_t{1536} << 20};
        if (littleMemory)
            ::setrlimit(RLIMIT_AS, &rl);
        std::string text;
        try {
            text = body();
        } catch (const std::exception& e) {
            text = std::string("(escaped) ") + e.what();
        }
        test::WriteFileBytes(said, text);
        test::SendByte(out, 'D');
    });
    return child.Receive(60000) == 'D' ? test::ReadFileBytes(said) : "(no answer)";
}

TEST(OddBooksTest, BooksThatAreNotRegularFilesAreRefusedAtOnce)
{
    test::TempDir dir;
    const std::string fifo = dir.File("Tube.tvo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string zero = dir.File("Zero.tvo");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string& path : {fifo, zero, std::string("/dev/null")}) {
        for (const auto& [name, reader] : kReaders) {
            SCOPED_TRACE(path + " by " + name);
            const std::string said = InChild(dir, false, [&, reader = reader] { return reader(path); });
            EXPECT_NE(said.find("pas un fichier ordinaire"), std::string::npos) << said;
        }
    }
}

TEST(OddBooksTest, CountsAskingForMoreMemoryThanThereIsMakeAnUnreadableBook)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit this test sets";
#endif
    // One subject with 96 Mi empty document paths: a sparse file on disk.
    test::TempDir dir;
    const std::string book = dir.File("Piege.tvo");
    test::WriteFileBytes(book, std::string("\x01\x00\xFF\xFF\x02\x00\x09\x00" "CTenorels" "\0\0\0\0\0\0\0" "\xFF\xFF\0\0\0\x06", 30));
    ASSERT_EQ(::truncate(book.c_str(), 30 + (96 << 20)), 0);

    // The merge reports an unreadable book, and the window goes on.
    const std::string merged = InChild(dir, true, [&] { return kReaders[1].second(book); });
    EXPECT_NE(merged.find("mémoire"), std::string::npos) << merged;

    // The command-line tool ends with a French message and its failure
    // status, never with an abort.
    const std::pair<std::vector<std::string>, int> runs[] = {
        {{"dump", book}, 1}, {{"check", book}, 1}, {{"search", book, "edf"}, 2}, {{"export", book, dir.Path()}, 1}};
    for (const auto& [args, status] : runs) {
        SCOPED_TRACE(args[0]);
        const std::string said = InChild(dir, true, [&, args = args, status = status] {
            const std::string command = "LC_ALL=C " + std::string(TAVELO_CLI) + " '" + args[0] + "' '" + args[1] + "'" +
                                        (args.size() > 2 ? " '" + args[2] + "'" : "") + " 2>&1";
            FILE* pipe = ::popen(command.c_str(), "r");
            std::string out(4096, '\0');
            out.resize(std::fread(out.data(), 1, out.size(), pipe));
            const int code = ::pclose(pipe);
            return WIFEXITED(code) && WEXITSTATUS(code) == status ? out : "(status " + std::to_string(code) + ") " + out;
        });
        EXPECT_NE(said.find("mémoire"), std::string::npos) << said;
        EXPECT_EQ(said.find("(status"), std::string::npos) << said;
    }
}

} // namespace
} // namespace tavelo
