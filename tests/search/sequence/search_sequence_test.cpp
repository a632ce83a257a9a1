// A user saw a first search of 2,000 documents sit idle for minutes, after
// `tavelo-cli cache stats`, `tavelo-cli cache clear` and a drop of the page
// cache. The same sequence, as whole processes on a corpus of the same four
// kinds: each process must end, with every hit and nothing on stderr. One
// that has not ended after two minutes (the search takes seconds) is stopped,
// and the failure says what each of its threads, and its readers', waited in.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "book/book_file.h"
#include "corpus.h"

extern char** environ;

namespace tavelo {
namespace {

namespace fs = std::filesystem;

constexpr auto kDeadline = std::chrono::minutes(2);

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// What the threads of `pid` wait in: state, kernel function and system call.
std::string WhereItWaits(pid_t pid)
{
    std::string out;
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& task : fs::directory_iterator(tasks, error)) {
        const std::string stat = Slurp(task.path() / "stat");
        const std::size_t close = stat.rfind(')');
        const std::string state = close != std::string::npos && close + 2 < stat.size() ? stat.substr(close + 2, 1) : "?";
        out += "  " + std::to_string(pid) + "/" + task.path().filename().string() + " " + state + " " +
               Trimmed(Slurp(task.path() / "wchan")) + " syscall " + Trimmed(Slurp(task.path() / "syscall")).substr(0, 40) +
               "\n";
    }
    return out;
}

std::vector<pid_t> ChildrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit))
            continue;
        const std::string stat = Slurp(entry.path() / "stat");
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(close + 2));
        std::string state;
        pid_t ppid = 0;
        fields >> state >> ppid;
        if (ppid == parent)
            children.push_back(std::stoi(name));
    }
    return children;
}

struct ProcessRun {
    int status = -1;
    bool ended = false;
    std::string out, err, waits;
};

// tavelo-cli with `arguments`, its cache in `cacheHome`, and `extra`
// variables in its environment.
ProcessRun RunCli(const std::vector<std::string>& arguments, const fs::path& cacheHome, const fs::path& work,
                  const std::vector<std::string>& extra = {})
{
    ProcessRun run;
    std::vector<std::string> words = {TAVELO_CLI};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string_view(*e).rfind("XDG_CACHE_HOME=", 0) != 0)
            variables.emplace_back(*e);
    variables.push_back("XDG_CACHE_HOME=" + cacheHome.string());
    variables.insert(variables.end(), extra.begin(), extra.end());
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    const fs::path out = work / "out", err = work / "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.err = "posix_spawn: " + std::string(strerror(spawned));
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            run.waits = WhereItWaits(pid);
            for (const pid_t child : ChildrenOf(pid))
                run.waits += WhereItWaits(child);
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run.out = Slurp(out);
            run.err = Slurp(err);
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.ended = true;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
}

// A folder of the test's own, with its files/ folder, removed at the end.
struct WorkFolder {
    explicit WorkFolder(const std::string& prefix) : path(fs::temp_directory_path() / (prefix + std::to_string(::getpid())))
    {
        fs::remove_all(path);
        fs::create_directories(path / "files");
    }
    ~WorkFolder() { fs::remove_all(path); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    fs::path path;
};

// Written dirty pages out, then the page cache dropped: false where this
// process may not (not root, or a container's read-only /proc/sys).
bool DropPageCache()
{
    ::sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return static_cast<bool>(drop);
}

TEST(SearchSequence, AFirstSearchAfterTheCacheIsClearedEndsWithEveryHit)
{
    const WorkFolder folder("tavelo-sequence-");
    const fs::path& work = folder.path;

    bench::CorpusCounts counts;
    counts.text = 1000;
    counts.pdf = 500;
    counts.word = 250;
    counts.spreadsheet = 250;
    const bench::Corpus corpus = bench::MakeCorpus((work / "files").string(), counts);
    SubjectList book;
    std::set<std::string> expected;
    for (const auto* kind : {&corpus.text, &corpus.pdf, &corpus.word, &corpus.spreadsheet})
        for (const std::string& file : *kind) {
            const std::string name = fs::path(file).filename().string();
            book.push_back(std::make_unique<CTenorels>("Corpus", name, 0));
            book.back()->AddDocumentPath(file);
            if (corpus.withWord.count(file) != 0)
                expected.insert("Corpus\t" + name);
        }
    ASSERT_GT(expected.size(), 50u);
    const fs::path bookPath = work / "all.tvo";
    std::ofstream(bookPath, std::ios::binary) << WriteSubjectList(book);
    const fs::path cache = work / "cache";
    const std::vector<std::string> search = {"search", bookPath.string(), bench::kSoughtWord, "--scope", "contents"};

    const auto expectSearch = [&](const char* when) {
        const ProcessRun run = RunCli(search, cache, work);
        ASSERT_TRUE(run.ended) << when << ": the search has not ended after "
                               << std::chrono::duration_cast<std::chrono::seconds>(kDeadline).count()
                               << " s; its threads wait in:\n"
                               << run.waits << "stderr: " << run.err;
        EXPECT_EQ(run.status, 0) << when << ": " << run.err;
        EXPECT_EQ(run.err, "") << when;
        std::set<std::string> found;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);)
            found.insert(line);
        EXPECT_EQ(found, expected) << when;
    };

    expectSearch("the cache filled");
    bool dropped = true;
    for (int round = 0; round < 3; ++round) {
        const ProcessRun stats = RunCli({"cache", "stats"}, cache, work);
        ASSERT_TRUE(stats.ended && stats.status == 0) << stats.err << stats.waits;
        // The search process ends at once after its output, but only once
        // the cache holds what it read: the 1,000 texts of the documents that
        // are not plain text, then the plain text seen unchanged too.
        EXPECT_NE(stats.out.find(round == 0 ? "Textes gard\xC3\xA9s : 1000 " : "Textes gard\xC3\xA9s : 2000 "),
                  std::string::npos)
            << stats.out;
        const ProcessRun clear = RunCli({"cache", "clear"}, cache, work);
        ASSERT_TRUE(clear.ended && clear.status == 0) << clear.err << clear.waits;
        dropped = DropPageCache() && dropped;
        expectSearch(round == 0 ? "first search after a clear" : "another first search after a clear");
        expectSearch("the same again, nothing changed");
    }
    // A find that finds every text in the cache writes nothing, and its
    // process ends without closing the cache: the next ones find it whole.
    for (int run = 0; run < 2; ++run) {
        const ProcessRun find = RunCli({"find", bookPath.string(), bench::kSoughtWord, "--limit", "100000"}, cache, work);
        ASSERT_TRUE(find.ended) << find.waits;
        EXPECT_EQ(find.status, 0) << find.err;
        std::set<std::string> found;
        std::istringstream lines(find.out);
        for (std::string line; std::getline(lines, line);)
            found.insert(line.substr(0, line.find('\t')));
        EXPECT_EQ(found.size(), expected.size()) << "find, run " << run;
    }
    const ProcessRun stats = RunCli({"cache", "stats"}, cache, work);
    ASSERT_TRUE(stats.ended && stats.status == 0) << stats.err << stats.waits;
    EXPECT_NE(stats.out.find("Textes gard\xC3\xA9s : 2000 "), std::string::npos) << stats.out;
    const ProcessRun clear = RunCli({"cache", "clear"}, cache, work);
    EXPECT_TRUE(clear.ended && clear.status == 0) << clear.err << clear.waits;
    if (!dropped)
        std::cout << "The page cache could not be dropped here (root and a writable /proc/sys are needed): "
                     "the sequence ran without that step.\n";
}

// ICU and Boost.Regex cost every process that loads them about a
// millisecond: a plain word in plain text needs neither, and its search never
// loads them; a search that needs them loads them and answers the same.
TEST(SearchSequence, OnlyTheSearchesThatNeedICULoadIt)
{
    const WorkFolder folder("tavelo-unicode-");
    const fs::path& work = folder.path;
    SubjectList book;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "lettre" + std::to_string(i);
        const fs::path file = work / "files" / (name + ".txt");
        std::ofstream(file, std::ios::binary) << (i % 10 == 3   ? "Objet : zorglub, facture de mai\n"
                                                  : i % 10 == 7 ? "Les zorglubs d'\xC3\xA9t\xC3\xA9\n"
                                                                : "Rien \xC3\xA0 signaler\n");
        book.push_back(std::make_unique<CTenorels>("Lettres", name, 0));
        book.back()->AddDocumentPath(file.string());
    }
    const fs::path bookPath = work / "lettres.tvo";
    std::ofstream(bookPath, std::ios::binary) << WriteSubjectList(book);
    enum Loads { kNever, kAlways, kEither };
    struct Case {
        std::vector<std::string> arguments;
        Loads loads;
        std::set<std::string> subjects;
    };
    const std::set<std::string> anyZorglub = {"lettre3", "lettre7", "lettre13", "lettre17",
                                              "lettre23", "lettre27", "lettre33", "lettre37"};
    const std::set<std::string> wholeWord = {"lettre3", "lettre13", "lettre23", "lettre33"};
    const std::string path = bookPath.string();
    const Case cases[] = {
        {{"search", path, "zorglub", "--scope", "contents"}, kNever, anyZorglub},
        {{"search", path, "zorglub", "--scope", "contents", "--no-cache"}, kNever, anyZorglub},
        // Seen unchanged, the texts go into the word index, which folds
        // their accents.
        {{"search", path, "zorglub", "--scope", "contents"}, kEither, anyZorglub},
        {{"search", path, "zorglub", "--scope", "contents"}, kNever, anyZorglub},
        {{"search", path, "zorglub", "--scope", "contents", "--whole-word"}, kAlways, wholeWord},
        {{"search", path, "zorg.ub", "--scope", "contents"}, kAlways, anyZorglub},
        {{"find", path, "zorglub"}, kAlways, anyZorglub}, // the plural too
    };
    for (const Case& test : cases) {
        std::string words;
        for (const std::string& argument : test.arguments)
            words += argument + " ";
        const ProcessRun run = RunCli(test.arguments, work / "cache", work, {"LD_DEBUG=files"});
        ASSERT_TRUE(run.ended) << words << run.waits;
        EXPECT_EQ(run.status, 0) << words << run.err;
        std::set<std::string> found;
        std::istringstream lines(run.out);
        // search: "title<TAB>name"; find: "title/name<TAB>path<TAB>extract".
        for (std::string line; std::getline(lines, line);)
            found.insert(test.arguments[0] == "find" ? line.substr(line.find('/') + 1, line.find('\t') - line.find('/') - 1)
                                                     : line.substr(line.find('\t') + 1));
        EXPECT_EQ(found, test.subjects) << words;
        const bool module = run.err.find("tavelo-unicode.so") != std::string::npos;
        const bool icu = run.err.find("libicuuc") != std::string::npos;
        EXPECT_EQ(module, icu) << words << run.err;
        if (test.loads != kEither) {
            EXPECT_EQ(module, test.loads == kAlways) << words;
        }
    }
}

} // namespace
} // namespace tavelo
