#include <gtest/gtest.h>

#include <cstdlib>

#include <atomic>
#include <filesystem>
#include <future>
#include <optional>
#include <sstream>
#include <thread>

#include "base/tr.h"
#include "book/book_file.h"
#include "book/file_io.h"
#include "cli/commands.h"
#include "search/document_search.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "reading/reader_protocol.h"
#include "reading/text_source.h"
#include "test_files.h"

namespace tavelo {
namespace {

using test::TempDir;

std::unique_ptr<CTenorels> Subject(std::string title, std::string name, std::string expected = {},
                                   std::vector<std::string> paths = {})
{
    auto s = std::make_unique<CTenorels>(std::move(title), std::move(name), 0);
    s->SetExpectedText(std::move(expected));
    for (auto& p : paths)
        s->AddDocumentPath(std::move(p));
    return s;
}

std::vector<std::string> Names(const SearchResult& r)
{
    std::vector<std::string> names;
    for (const CTenorels* s : r.hits)
        names.push_back(s->GetSubjectName());
    return names;
}

TEST(SearchRun, ScopesAndBookOrder)
{
    TempDir dir;
    SubjectList book;
    book.push_back(Subject("EDF", "Facture EDF", "", {dir.Write("a.txt", "rien")}));
    book.push_back(Subject("Impôts", "Avis", "une facture à venir"));
    book.push_back(Subject("Banque", "Relevés", "", {"/x/y\\Facture 2006.pdf"}));
    book.push_back(Subject("Maison", "Travaux", "", {dir.Write("devis.txt", "Montant de la FACTURE")}));
    book.push_back(Subject("EDF", "Autre", "rien"));
    const SearchPattern pattern("facture", {});
    EXPECT_EQ(Names(RunSearch(book, pattern, kScopeAll)),
              (std::vector<std::string>{"Facture EDF", "Avis", "Relevés", "Travaux"}));
    EXPECT_EQ(Names(RunSearch(book, pattern, kScopeSubjectNames)), (std::vector<std::string>{"Facture EDF"}));
    EXPECT_EQ(Names(RunSearch(book, pattern, kScopeExpectedTexts)), (std::vector<std::string>{"Avis"}));
    EXPECT_EQ(Names(RunSearch(book, pattern, kScopeDocumentNames)), (std::vector<std::string>{"Relevés"}));
    EXPECT_EQ(Names(RunSearch(book, pattern, kScopeDocumentContents)), (std::vector<std::string>{"Travaux"}));
    EXPECT_TRUE(RunSearch(book, pattern, 0).hits.empty());
    EXPECT_TRUE(RunSearch(SubjectList{}, pattern, kScopeAll).hits.empty());
    // The general title is never searched.
    EXPECT_TRUE(RunSearch(book, SearchPattern("Impôts", {}), kScopeAll).hits.empty());
}

TEST(SearchRun, FirstMatchingScopeEndsTheSubject)
{
    TempDir dir;
    SubjectList book;
    // The name matches: neither of the documents is opened, so the missing one
    // is not reported.
    book.push_back(Subject("G", "Facture", "", {dir.File("absent.txt"), dir.File("facture.txt")}));
    SearchProgress progress;
    const SearchResult result = RunSearch(book, SearchPattern("facture", {}), kScopeAll, {nullptr, &progress});
    EXPECT_EQ(result.hits.size(), 1u);
    EXPECT_TRUE(result.unreadable.empty());
    const SearchProgress::Snapshot seen = progress.Take();
    EXPECT_EQ(seen.subjectsExamined, 1u);
    EXPECT_EQ(seen.documentsToRead, 0u);
    EXPECT_EQ(seen.line, "");
}

TEST(SearchRun, DocumentsInOrderUntilOneMatches)
{
    TempDir dir;
    SubjectList book;
    book.push_back(Subject("G", "S1", "",
                           {dir.File("absent.txt"), dir.Write("NOTES.TXT", "notes"), dir.File("lettre"),
                            dir.Write("b.txt", "la facture"), dir.File("jamais.pdf"), dir.File("plan.odg")}));
    book.push_back(Subject("G", "S2", "", {dir.Write("c.rtf", "{\\rtf1 rien}"), dir.File("Plan.ODG")}));
    SearchProgress progress;
    const SearchResult result =
        RunSearch(book, SearchPattern("facture", {}), kScopeDocumentContents, {nullptr, &progress});
    EXPECT_EQ(Names(result), (std::vector<std::string>{"S1"}));
    // The missing PDF after the matching document is never reported, even
    // when it was read ahead.
    ASSERT_EQ(result.unreadable.size(), 1u);
    EXPECT_EQ(result.unreadable[0].path, dir.File("absent.txt"));
    EXPECT_EQ(result.unreadable[0].subject, book[0].get());
    const SearchProgress::Snapshot seen = progress.Take();
    EXPECT_EQ(seen.subjectsExamined, 2u);
    // "lettre" is of no kind the search reads.
    EXPECT_EQ(seen.documentsToRead, 5u);
    EXPECT_GE(seen.documentsRead, 4u);
    EXPECT_EQ(seen.line.rfind("Recherche dans le fichier : ", 0), 0u);
    // Of no kind the search reads, and before the match if any: "lettre" and
    // the drawing of S2, not the one after S1's match.
    EXPECT_EQ(result.unreadKinds.size(), 2u);
    EXPECT_EQ(result.unreadKinds.at("odg"), 1u);
    EXPECT_EQ(DescribeUnreadKinds(result.unreadKinds),
              "2 documents n'ont pas été examinés, leur genre n'est pas lu : .odg (1), sans extension (1).");
    EXPECT_EQ(DescribeUnreadKinds({{"zip", 1}}), "Un document n'a pas été examiné, son genre n'est pas lu : .zip (1).");
    const std::string message = DescribeUnreadableDocuments(result.unreadable);
    EXPECT_EQ(message, "Un document n'a pas pu être lu pendant la recherche :\nImpossible de lire le document « " +
                           dir.File("absent.txt") + " » : le fichier ou le dossier n'existe pas.\n");
}

TEST(SearchRun, ExtensionsAreReadWhateverTheirCase)
{
    TempDir dir;
    const struct {
        std::string path;
        const char* word;
    } documents[] = {
        {dir.Write("NOTES.TXT", "zorglub"), "zorglub"},
        {dir.Write("Rapport.Pdf", ReadWholeFile(test::Fixture("rapport.pdf"))), "quittance"},
        {dir.Write("LETTRE.DOC", ReadWholeFile(test::Fixture("lettre.doc"))), "Quincaillerie"},
        {dir.Write("comptes.XLS", ReadWholeFile(test::Fixture("comptes.xls"))), "zèbre"},
    };
    for (const auto& d : documents) {
        SubjectList book;
        book.push_back(Subject("G", "S", "", {d.path}));
        const SearchResult result = RunSearch(book, SearchPattern(d.word, {}), kScopeDocumentContents);
        EXPECT_EQ(result.hits.size(), 1u) << d.path;
        EXPECT_TRUE(result.unreadable.empty()) << d.path;
    }
}

TEST(SearchRun, TheProgressSaysWhatIsRecognisedAndWhatIsReadForTheFirstTime)
{
    TempDir dir;
    // A reader that recognises page 2 of 5, then takes its time.
    std::string frames;
    std::string progress;
    reader_protocol::AppendU32(progress, 2);
    reader_protocol::AppendU32(progress, 5);
    progress += reader_protocol::kOcrPageUnit;
    std::string hello;
    reader_protocol::AppendFrame(hello, reader_protocol::kHello, reader_protocol::kVersion);
    reader_protocol::AppendFrame(frames, reader_protocol::kProgress, progress);
    const auto octal = [](const std::string& bytes) {
        std::string out;
        for (const unsigned char c : bytes) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", c);
            out += escaped;
        }
        return out;
    };
    const std::string reader = dir.Write("lent.sh", "#!/bin/sh\nprintf '" + octal(hello) +
                                                        "'\nhead -c 1 >/dev/null\nprintf '" + octal(frames) +
                                                        "'\nexec sleep 600\n");
    std::filesystem::permissions(reader, std::filesystem::perms::owner_all);
    SubjectList book;
    book.push_back(Subject("G", "S", "", {dir.Write("a.txt", "rien"), dir.Write("scan.pdf", "%PDF")}));
    TextSource source(TextCache::Open(dir.File("cache")), {{}, reader, 2});
    SearchProgress seen;
    std::atomic<bool> cancel{false};
    std::thread search([&] { RunSearch(book, SearchPattern("zorglub", {}), kScopeDocumentContents, {&source, &seen, &cancel}); });
    std::string line;
    for (int i = 0; i < 400 && line.rfind("Reconnaissance", 0) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        line = seen.Take().line;
    }
    cancel = true;
    search.join();
    EXPECT_EQ(line, "Reconnaissance du texte : scan.pdf, page 2 sur 5");
    // Plain text is read here, never by a reader: only the PDF is read for
    // the first time.
    EXPECT_EQ(seen.Take().firstReadings, 1u);
    EXPECT_EQ(RecognitionLine("photo.jpg", 1, 1), "Reconnaissance du texte : photo.jpg");
}

// Plain text goes into the cache once it is found unchanged at a second
// search; from then on the cache's index answers for it, and a file changed
// since is read again, never answered from the text kept. The same whether
// the cache was open before the search, or still opening while the search
// looks at its files, as in tavelo-cli, where each search is a process.
TEST(SearchRun, PlainTextIsKeptOnceSeenUnchangedAndNeverAnsweredStale)
{
    for (const bool opening : {false, true}) {
        SCOPED_TRACE(opening ? "cache opened during each search" : "cache open before the searches");
        TempDir dir;
        constexpr int kFiles = 70; // enough for the index to be asked, and the cache read in one pass
        SubjectList book;
        std::vector<std::string> paths;
        for (int i = 0; i < kFiles; ++i) {
            paths.push_back(dir.Write("d" + std::to_string(i) + ".txt", i == 3 ? "un zorglub ici" : "rien du tout ?"));
            book.push_back(Subject("G", "S" + std::to_string(i), "", {paths.back()}));
        }
        // Same size, another time: only the bytes tell.
        const auto rewrite = [&](int i, std::string_view bytes) {
            const auto when = std::filesystem::last_write_time(paths[i]);
            dir.Write("d" + std::to_string(i) + ".txt", bytes);
            std::filesystem::last_write_time(paths[i], when + std::chrono::seconds(2));
        };
        const SourceOptions options{{}, "/nonexistent", 2};
        const std::string folder = dir.File("cache");
        const auto openLater = [&folder](bool enabled) {
            return std::async(std::launch::async, [&folder, enabled] {
                return enabled ? TextCache::Open(folder) : std::unique_ptr<TextCache>();
            });
        };
        TextSource held(TextCache::Open(folder), options);
        const auto search = [&](bool enabled = true) {
            std::optional<TextSource> fresh;
            if (opening)
                fresh.emplace(openLater(enabled), options);
            TextSource& source = opening ? *fresh : held;
            const SearchResult result = RunSearch(book, SearchPattern("zorglub", {}), kScopeDocumentContents, {&source});
            source.Cache().FinishIndexing();
            return Names(result);
        };
        const auto kept = [&] { return (opening ? *TextCache::Open(folder) : held.Cache()).Stats().value().files; };

        EXPECT_EQ(search(), std::vector<std::string>{"S3"});
        EXPECT_EQ(kept(), 0u);
        rewrite(7, "rien du tout !");
        EXPECT_EQ(search(), std::vector<std::string>{"S3"});
        EXPECT_EQ(kept(), static_cast<std::uint64_t>(kFiles - 1)) << "a file changed since its first sight is not kept yet";

        rewrite(3, "un zorglob ici");
        rewrite(5, "un zorglub là");
        rewrite(7, "zorglub, tout");
        EXPECT_EQ(search(), (std::vector<std::string>{"S5", "S7"}));
        // Kept texts answer when nothing changed.
        EXPECT_EQ(search(), (std::vector<std::string>{"S5", "S7"}));
        if (opening) {
            // A cache that could not be opened: the files themselves answer.
            rewrite(9, "zorglub !");
            EXPECT_EQ(search(false), (std::vector<std::string>{"S5", "S7", "S9"}));
        }
    }
}

TEST(SearchRun, TheLineShowsADocumentStillBeingRead)
{
    // Two threads: the slow document's line must not be hidden by a quick
    // one whose line came later but which is already done.
    SearchProgress progress;
    progress.SetLine(5, "lent.pdf");
    progress.SetLine(4, "vite.txt");
    progress.DocumentDone(4);
    EXPECT_EQ(progress.Take().line, "lent.pdf");
    progress.SetLine(5, "lent.pdf, page 2");
    EXPECT_EQ(progress.Take().line, "lent.pdf, page 2");
    progress.DocumentDone(5);
    EXPECT_EQ(progress.Take().line, "lent.pdf, page 2"); // the last one read stays
    EXPECT_EQ(progress.Take().documentsRead, 2u);
}

TEST(SearchRun, ReasonsAreTranslatedWholeOrBeforeTheirDetail)
{
    SetTranslator([](const char*, const char* text) -> std::string {
        const std::string french = text;
        if (french == "trop long à lire")
            return "too long to read";
        if (french == "l'image est trop grande pour être lue")
            return "the image is too large to be read";
        if (french == "%1 : %2")
            return "%1: %2";
        return french;
    });
    EXPECT_EQ(TranslateReason("trop long à lire"), "too long to read");
    EXPECT_EQ(TranslateReason("l'image est trop grande pour être lue : 9 × 9 pixels"),
              "the image is too large to be read: 9 × 9 pixels");
    EXPECT_EQ(TranslateReason("inconnue : 3"), "inconnue : 3");
    SetTranslator(nullptr);
    EXPECT_EQ(TranslateReason("l'image est trop grande pour être lue : 9 × 9 pixels"),
              "l'image est trop grande pour être lue : 9 × 9 pixels");
}

TEST(SearchRun, UnreadableOfficeDocumentsDoNotEndTheSearch)
{
    TempDir dir;
    SubjectList book;
    book.push_back(Subject("G", "S1", "", {dir.Write("a.doc", "abîmé"), dir.Write("b.xls", "abîmé")}));
    book.push_back(Subject("G", "S2", "", {dir.Write("c.txt", "abîmé")}));
    const SearchResult result = RunSearch(book, SearchPattern("abîmé", {}), kScopeDocumentContents);
    EXPECT_EQ(Names(result), (std::vector<std::string>{"S2"}));
    EXPECT_EQ(result.unreadable.size(), 2u);
    EXPECT_EQ(DescribeUnreadableDocuments(result.unreadable).rfind("2 documents n'ont pas pu être lus", 0), 0u);
}

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

CliResult Cli(const cli::Args& args, int (*command)(const cli::Args&, cli::Streams) = &cli::RunSearch)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(args, {out, err});
    return {status, out.str(), err.str()};
}

TEST(SearchRun, TheCacheServesSearchesThatReadOfficeFilesOrManyTextFiles)
{
    const auto book = [](std::size_t texts, const char* other) {
        SubjectList subjects;
        std::vector<std::string> paths;
        for (std::size_t i = 0; i < texts; ++i)
            paths.push_back("/docs/note" + std::to_string(i) + ".TXT");
        if (*other != '\0')
            paths.push_back(std::string("/docs/") + other);
        subjects.push_back(Subject("G", "S", "", paths));
        return subjects;
    };
    struct Case {
        std::size_t texts;
        const char* other;
        unsigned scopes;
        bool serves;
    };
    const Case cases[] = {
        {1, "", kScopeDocumentContents, false},      {31, "", kScopeDocumentContents, false},
        {32, "", kScopeDocumentContents, true},      {0, "lettre.pdf", kScopeDocumentContents, true},
        {1, "tableau.xls", kScopeDocumentContents, true}, {40, "", kScopeSubjectNames | kScopeDocumentNames, false},
        {0, "image.xyz", kScopeDocumentContents, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CacheServesSearch(book(c.texts, c.other), c.scopes), c.serves) << c.texts << " " << c.other;
}

TEST(SearchCli, PrintsHitsAndExitStatus)
{
    TempDir dir;
    SubjectList book;
    book.push_back(Subject("EDF", "Facture EDF", "", {dir.Write("a.txt", "Mot-clé")}));
    book.push_back(Subject("Impôts", "Avis", "Motif", {dir.File("absent.txt")}));
    const std::string path = dir.Write("livre.tvo", WriteSubjectList(book));

    CliResult r = Cli({path, "fact.re"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "EDF\tFacture EDF\n");
    EXPECT_NE(r.err.find("absent.txt"), std::string::npos);

    r = Cli({path, "mot", "--whole-word", "--scope", "contents,expected"});
    EXPECT_EQ(r.out, "EDF\tFacture EDF\n");
    r = Cli({path, "MOT", "--match-case"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Aucun sujet ne correspond aux critères"), std::string::npos);
    r = Cli({path, "mot", "--scope=expected,names"});
    EXPECT_EQ(r.out, "Impôts\tAvis\n");

    EXPECT_EQ(Cli({path, "(mot"}).status, 2);
    EXPECT_EQ(Cli({path, "   "}).status, 2);
    EXPECT_EQ(Cli({path, "mot", "--scope", "titres"}).status, 2);
    EXPECT_EQ(Cli({path, "mot", "--scope"}).status, 2);
    EXPECT_EQ(Cli({path, "mot", "--tout"}).status, 2);
    EXPECT_EQ(Cli({path}).status, 2);
    EXPECT_EQ(Cli({dir.File("absent.tvo"), "mot"}).status, 2);
    EXPECT_EQ(Cli({dir.Write("abime.tvo", "\x05\x00zz"), "mot"}).status, 2);
    for (const char* bad : {"--readers=0", "--memory=", "--time=x", "--ocr-time=-1", "--readers=999"})
        EXPECT_EQ(Cli({path, "mot", bad}).status, 2) << bad;
}

TEST(SearchCli, ReadingLimitsAndTheTextCache)
{
    TempDir dir;
    // A cache of its own: the other tests of this program run beside it and
    // fill theirs while this one clears it.
    const char* const before = std::getenv("XDG_CACHE_HOME");
    const std::string kept = before != nullptr ? before : "";
    const std::string cacheHome = dir.File("cache");
    ::setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    struct Restore {
        const char* before;
        std::string kept;
        ~Restore()
        {
            if (before != nullptr)
                ::setenv("XDG_CACHE_HOME", kept.c_str(), 1);
            else
                ::unsetenv("XDG_CACHE_HOME");
        }
    } restore{before, kept};
    SubjectList book;
    book.push_back(Subject("Courrier", "Lettre", "", {dir.Write("lettre.doc", ReadWholeFile(test::Fixture("lettre.doc")))}));
    const std::string path = dir.Write("livre.tvo", WriteSubjectList(book));
    for (const cli::Args& options : {cli::Args{}, cli::Args{"--no-cache"},
                                     cli::Args{"--readers=1", "--memory=256", "--time=5", "--ocr-time=30"}}) {
        cli::Args args = {path, "quincaillerie"};
        args.insert(args.end(), options.begin(), options.end());
        const CliResult r = Cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "Courrier\tLettre\n");
    }
    CliResult stats = Cli({"stats"}, &cli::RunCache);
    EXPECT_EQ(stats.status, 0) << stats.err;
    EXPECT_NE(stats.out.find("Textes gardés : "), std::string::npos) << stats.out;
    EXPECT_EQ(stats.out.find("Textes gardés : 0 "), std::string::npos) << stats.out;
    const CliResult cleared = Cli({"clear"}, &cli::RunCache);
    EXPECT_EQ(cleared.status, 0) << cleared.err;
    EXPECT_EQ(cleared.out, "Le cache des textes des documents est vide.\n");
    stats = Cli({"stats"}, &cli::RunCache);
    EXPECT_NE(stats.out.find("Textes gardés : 0 "), std::string::npos) << stats.out;
    EXPECT_EQ(Cli({"vider"}, &cli::RunCache).status, 2);

    // A few plain text files are read faster than the cache opens: it is
    // left alone, however often they are seen unchanged.
    SubjectList notes;
    notes.push_back(Subject("Courrier", "Note", "", {dir.Write("note.txt", "quincaillerie du coin")}));
    const std::string notesPath = dir.Write("notes.tvo", WriteSubjectList(notes));
    for (int run = 0; run < 3; ++run) {
        const CliResult plain = Cli({notesPath, "quincaillerie"});
        EXPECT_EQ(plain.status, 0) << plain.err;
        EXPECT_EQ(plain.out, "Courrier\tNote\n");
    }
    stats = Cli({"stats"}, &cli::RunCache);
    EXPECT_NE(stats.out.find("Textes gardés : 0 "), std::string::npos) << stats.out;
    EXPECT_EQ(Cli({}, &cli::RunCache).status, 2);
}

} // namespace
} // namespace tavelo
