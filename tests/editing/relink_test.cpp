#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

#include "book/held_file.h"
#include "cli/commands.h"
#include "editing/relink.h"
#include "editing/relink_cache.h"
#include "reading/text_cache.h"
#include "editing_test_support.h"

namespace tavelo {
namespace {

using test::AddSubjects;
using test::ReadFile;
using test::ScratchFolder;
using test::WriteFile;
using Paths = std::vector<std::string>;

void MakeFolders(const ScratchFolder& dir, const Paths& folders)
{
    for (const auto& f : folders)
        std::filesystem::create_directories(dir / f);
}

std::vector<std::string> FoundPaths(const ScanResult& r)
{
    Paths paths;
    for (const auto& f : r.files)
        paths.push_back(f.path);
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Runs `work` on a thread without the powers of root, so that a folder without
// permissions is unreadable to it (setresuid by system call binds one thread).
template <class Work>
void WithoutRootPowers(Work work)
{
    std::thread([&work] {
        if (::geteuid() == 0 && ::syscall(SYS_setresuid, 65534, 65534, 65534) != 0)
            return;
        work();
    }).join();
}

TEST(FileScanTest, LoopsLinksAndUnreadableFoldersAreWalkedOnce)
{
    ScratchFolder dir;
    ::chmod(dir.Path().c_str(), 0755);
    MakeFolders(dir, {"scan/a/b", "scan/closed", "outside"});
    WriteFile(dir / "scan/a/b/edf.pdf", "1234");
    WriteFile(dir / "scan/a/other.pdf", "12");
    WriteFile(dir / "scan/closed/edf.pdf", "x");
    WriteFile(dir / "outside/edf.pdf", "123");
    ::symlink("..", (dir / "scan/a/b/up").c_str());           // a loop
    ::symlink("a", (dir / "scan/alias").c_str());              // the same folder twice
    ::symlink((dir / "outside").c_str(), (dir / "scan/a/ext").c_str());
    ::symlink((dir / "scan/a/b/edf.pdf").c_str(), (dir / "scan/link.pdf").c_str());
    ::chmod((dir / "scan/closed").c_str(), 0);

    ScanResult byName;
    ScanResult bySize;
    WithoutRootPowers([&] {
        byName = ScanFolder(dir / "scan", {[](std::string_view n) { return n == "edf.pdf"; }, {}});
        bySize = ScanFolder(dir / "scan/", {{}, [](std::uint64_t s) { return s == 4; }});
    });
    ::chmod((dir / "scan/closed").c_str(), 0755);

    // The link to a folder outside is followed; the loop and the second way
    // into a/ add nothing; the closed folder is named.
    EXPECT_EQ(FoundPaths(byName), (Paths{dir / "scan/a/b/edf.pdf", dir / "scan/a/ext/edf.pdf"}));
    EXPECT_EQ(byName.unreadableFolders, Paths{dir / "scan/closed"});
    // The file reached through link.pdf too keeps its real path.
    EXPECT_EQ(FoundPaths(bySize), Paths{dir / "scan/a/b/edf.pdf"});
    EXPECT_EQ(bySize.files.at(0).size, 4u);
    EXPECT_EQ(byName.counts.files, 4u); // edf, other, ext/edf, link.pdf

    std::atomic<bool> cancel{true};
    ScanControl stop;
    stop.cancel = &cancel;
    const ScanResult cancelled = ScanFolder(dir / "scan", {[](std::string_view) { return true; }, {}}, stop);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.files.empty());
    EXPECT_EQ(ScanFolder(dir / "nowhere", {}).unreadableFolders, Paths{dir / "nowhere"});
}

class RelinkTest : public ::testing::Test {
protected:
    // The book's documents lived under /old; they now lie in dir/new.
    void SetUp() override
    {
        MakeFolders(dir, {"new/2006", "new/2007", "new/Gaz", "new/EDF/Factures", "new/GDF/Factures", "here"});
        WriteFile(dir / "new/2006/edf.pdf", "edf-2006");          // moved
        WriteFile(dir / "new/2007/impots.pdf", "impots");         // duplicated
        WriteFile(dir / "new/2006/impots.pdf", "impots bis");     // name
        WriteFile(dir / "new/Gaz/scan0001.pdf", "gaz content");   // renamed
        WriteFile(dir / "new/EDF/Factures/facture.pdf", "f1");    // same name twice, told
        WriteFile(dir / "new/GDF/Factures/facture.pdf", "f2");    // apart by their folders
        WriteFile(dir / "new/2007/contrat.pdf", "contrat v2, longer"); // not its last size
        WriteFile(dir / "here/present.pdf", "present");
        ::symlink("..", (dir / "new/2006/loop").c_str());
        AddSubjects(book, {{"EDF", "2006", {"/old/2006/edf.pdf", dir / "here/present.pdf", "/old/gaz.pdf"}, ""},
                           {"Impôts", "2007", {"C:\\old\\impots.pdf", "/old/absent.pdf"}, ""},
                           {"Factures", "EDF", {"/old/EDF/Factures/facture.pdf", "/old/contrat.pdf"}, ""}});
        sources.lastSeen = [](const std::string& path) -> std::optional<LastSeenFile> {
            if (path == "/old/gaz.pdf")
                return LastSeenFile{11, Digest("gaz content")};
            if (path == "/old/contrat.pdf")
                return LastSeenFile{7, Digest("contrat")};
            return std::nullopt;
        };
        sources.hash = [this](const std::string& path) -> std::optional<FileDigest> {
            ++hashed;
            return Digest(ReadFile(path));
        };
    }
    static FileDigest Digest(const std::string& bytes)
    {
        FileDigest d{};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            d[i % d.size()] = static_cast<std::uint8_t>(d[i % d.size()] * 31 + static_cast<std::uint8_t>(bytes[i]));
        return d;
    }
    const RelinkProposal* For(const RelinkScan& scan, const std::string& oldPath)
    {
        for (const auto& p : scan.proposals) {
            if (p.document.path == oldPath)
                return &p;
        }
        return nullptr;
    }
    static Paths CandidatePaths(const RelinkProposal* p)
    {
        Paths paths;
        for (const auto& c : p->candidates)
            paths.push_back(c.path);
        return paths;
    }
    std::string Chosen(const RelinkProposal* p) { return p->chosen < 0 ? "" : p->candidates[std::size_t(p->chosen)].path; }

    ScratchFolder dir;
    SubjectBook book;
    RelinkSources sources;
    int hashed = 0;
};

TEST_F(RelinkTest, ProposalsByNameThenContent)
{
    const RelinkScan scan = FindMovedDocuments(FindMissingDocuments(book), dir / "new", sources);

    ASSERT_FALSE(scan.cancelled);
    EXPECT_EQ(scan.proposals.size(), 5u);
    EXPECT_EQ(Chosen(For(scan, "/old/2006/edf.pdf")), dir / "new/2006/edf.pdf");
    EXPECT_EQ(For(scan, "/old/2006/edf.pdf")->candidates.at(0).kind, MatchKind::kSameName);
    // Two files of the name and nothing to tell them apart: both, none chosen.
    const RelinkProposal* impots = For(scan, "C:\\old\\impots.pdf");
    EXPECT_EQ(CandidatePaths(impots), (Paths{dir / "new/2006/impots.pdf", dir / "new/2007/impots.pdf"}));
    EXPECT_EQ(impots->chosen, -1);
    // Two of the name, one of them under the same folders as before.
    EXPECT_EQ(Chosen(For(scan, "/old/EDF/Factures/facture.pdf")), dir / "new/EDF/Factures/facture.pdf");
    EXPECT_EQ(For(scan, "/old/EDF/Factures/facture.pdf")->candidates.size(), 2u);
    // Renamed: found by the bytes it had when last seen.
    EXPECT_EQ(Chosen(For(scan, "/old/gaz.pdf")), dir / "new/Gaz/scan0001.pdf");
    EXPECT_EQ(For(scan, "/old/gaz.pdf")->candidates.at(0).kind, MatchKind::kSameContent);
    // The name is there but not the size it had: offered, never chosen.
    EXPECT_EQ(For(scan, "/old/contrat.pdf")->candidates.at(0).kind, MatchKind::kSameNameOtherSize);
    EXPECT_EQ(For(scan, "/old/contrat.pdf")->chosen, -1);
    // Only files of the last seen sizes are hashed (gaz content: 11 bytes).
    EXPECT_EQ(hashed, 1);
    ASSERT_EQ(scan.notFound.size(), 1u);
    EXPECT_EQ(scan.notFound[0].path, "/old/absent.pdf");
    EXPECT_EQ(For(scan, dir / "here/present.pdf"), nullptr);

    // Applying the chosen ones: exactly those paths change.
    EXPECT_EQ(ApplyRelinks(book, ChosenRelinks(scan.proposals)), 3u);
    EXPECT_TRUE(book.IsModified());
    EXPECT_EQ(book.GetSubject(0)->GetDocumentPaths(),
              (Paths{dir / "new/2006/edf.pdf", dir / "here/present.pdf", dir / "new/Gaz/scan0001.pdf"}));
    EXPECT_EQ(book.GetSubject(1)->GetDocumentPaths(), (Paths{"C:\\old\\impots.pdf", "/old/absent.pdf"}));
    EXPECT_EQ(book.GetSubject(2)->GetDocumentPaths(), (Paths{dir / "new/EDF/Factures/facture.pdf", "/old/contrat.pdf"}));
}

TEST_F(RelinkTest, OneFileIsNeverChosenForTwoDocumentsAndStaleRelinksAreSkipped)
{
    SubjectBook other;
    AddSubjects(other, {{"A", "a", {"/x/2006/edf.pdf", "/y/edf.pdf"}, ""}, {"B", "b", {"/x/2006/edf.pdf"}, ""}});
    RelinkScan scan = FindMovedDocuments(FindMissingDocuments(other), dir / "new");
    // The same old path in two subjects follows the file; another path of the
    // same name shares fewer folders and gets nothing.
    ASSERT_EQ(scan.proposals.size(), 3u);
    EXPECT_EQ(Chosen(&scan.proposals[0]), dir / "new/2006/edf.pdf");
    EXPECT_EQ(scan.proposals[1].chosen, -1);
    EXPECT_EQ(Chosen(&scan.proposals[2]), dir / "new/2006/edf.pdf");

    // The book changed meanwhile: the document is no longer at that place.
    other.GetSubject(0)->SetDocumentPath(0, "/elsewhere.pdf");
    EXPECT_EQ(ApplyRelinks(other, ChosenRelinks(scan.proposals)), 1u);
    EXPECT_EQ(other.GetSubject(0)->GetDocumentPath(0), "/elsewhere.pdf");
    SubjectBook untouched;
    EXPECT_EQ(ApplyRelinks(untouched, {}), 0u);
    EXPECT_FALSE(untouched.IsModified());
}

TEST_F(RelinkTest, RenamedDocumentsAreFoundByWhatTheTextCacheLastSaw)
{
    // A search read the statement once: the cache kept its size and hash.
    const std::string bytes = "relevé de compte";
    const std::shared_ptr<TextCache> cache = TextCache::Open(dir / "cache");
    cache->RememberPath("/old/banque.pdf", bytes.size(), HashBytes(bytes));
    cache->Flush();
    WriteFile(dir / "new/2007/scan_0042.pdf", bytes);
    WriteFile(dir / "new/2007/scan_0043.pdf", std::string(bytes.size(), 'x')); // its size, not its bytes
    SubjectBook other;
    AddSubjects(other, {{"Banque", "2007", {"/old/banque.pdf"}, ""}});

    const RelinkScan scan = FindMovedDocuments(FindMissingDocuments(other), dir / "new", CacheRelinkSources(cache));
    ASSERT_EQ(scan.proposals.size(), 1u);
    EXPECT_EQ(CandidatePaths(&scan.proposals[0]), Paths{dir / "new/2007/scan_0042.pdf"});
    EXPECT_EQ(scan.proposals[0].candidates[0].kind, MatchKind::kSameContent);
    EXPECT_EQ(scan.proposals[0].chosen, 0);
    // Without a cache a renamed file is not found.
    EXPECT_TRUE(FindMovedDocuments(FindMissingDocuments(other), dir / "new", CacheRelinkSources(nullptr)).proposals.empty());
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun Relink(cli::Args args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::RunRelink(args, {out, err});
    return {status, out.str(), err.str()};
}

TEST_F(RelinkTest, CommandLineRelinksOrOnlyTells)
{
    const std::string bookPath = dir / "Maison.tvo";
    WriteFile(bookPath, book.Serialize());
    const std::string before = ReadFile(bookPath);
    const std::string line = "EDF\t2006\t/old/2006/edf.pdf\t" + (dir / "new/2006/edf.pdf") + "\n";

    CliRun r = Relink({bookPath, dir / "new", "--dry-run"});
    EXPECT_EQ(r.status, 1); // some stay missing
    EXPECT_NE(r.out.find(line), std::string::npos);
    EXPECT_NE(r.err.find("« /old/absent.pdf » n'a pas été retrouvé."), std::string::npos);
    EXPECT_EQ(ReadFile(bookPath), before);

    {
        bool readOnly = true;
        auto holder = OpenHeldFile(bookPath, readOnly, false);
        ASSERT_FALSE(readOnly);
        r = Relink({bookPath, dir / "new"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ReadFile(bookPath), before);
    }

    r = Relink({bookPath, dir / "new"});
    SubjectBook after;
    after.Deserialize(ReadFile(bookPath));
    EXPECT_EQ(after.GetSubject(0)->GetDocumentPath(0), dir / "new/2006/edf.pdf");
    EXPECT_EQ(after.GetSubject(1)->GetDocumentPath(0), "C:\\old\\impots.pdf");

    EXPECT_EQ(Relink({bookPath, dir / "nowhere"}).status, 1);
    EXPECT_EQ(Relink({bookPath}).status, 1);
}

} // namespace
} // namespace tavelo
