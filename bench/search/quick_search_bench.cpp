// The quick search over books whose documents are all in the text cache, as
// they are once the window has read them in the background: what a keystroke
// costs (QuickSearch::Find), and what `tavelo-cli find` adds (Rank, which
// confirms every hit on its text and makes its extract).
//
//   Find/<book>/<query>    the query parsed and run over the book
//   FindRank/<book>/<q>    the same, then ranked as tavelo-cli find does
//   Refresh/<book>         every document's size and date looked at again,
//                          and its text found in the cache
//   Memory/<book>/<q>      the peak memory of Find, then of Find and Rank,
//                          above what was in use before: C++ heap, SQLite,
//                          resident size (counters, in MiB)
//
// Books: "2k" holds 1,000 text files, 500 PDF, 250 Word and 250 Excel files
// of the generated corpus; "24k" holds 2,000 documents of each of its twelve
// kinds. Ten documents a subject.
//
// Every benchmark first checks its answer: the documents found for the sought
// word are those the corpus put it in; for every query, the documents found
// are those where the query matches when each text is folded and evaluated
// whole, without the word index.
//
//   quick_search_bench --write-corpus FOLDER
// writes the 2,000 documents of the "2k" book into FOLDER, with book.json
// (for `tavelo-cli create`) and sought.txt (the documents with the sought
// word), then exits: find_vs_recoll.sh times tavelo-cli and Recoll on them.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <set>

#include <malloc.h>
#include <sqlite3.h>

#include <nlohmann/json.hpp>

#include "book/book_file.h"
#include "corpus.h"
#include "reading/text_source.h"
#include "search/query/quick_search.h"

// The C++ heap in use and its peak, for the memory benchmarks.
namespace {
std::atomic<std::int64_t> g_heapInUse{0};
std::atomic<std::int64_t> g_heapPeak{0};

void* Counted(void* p)
{
    if (p == nullptr)
        throw std::bad_alloc();
    const auto size = static_cast<std::int64_t>(malloc_usable_size(p));
    const std::int64_t now = g_heapInUse.fetch_add(size, std::memory_order_relaxed) + size;
    for (std::int64_t peak = g_heapPeak.load(std::memory_order_relaxed);
         now > peak && !g_heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed);) {
    }
    return p;
}

void Uncounted(void* p) noexcept
{
    if (p != nullptr)
        g_heapInUse.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

double HeapInUse()
{
    return static_cast<double>(g_heapInUse.load());
}

double HeapPeak()
{
    return static_cast<double>(g_heapPeak.load());
}

void ResetHeapPeak()
{
    g_heapPeak = g_heapInUse.load();
}
} // namespace

void* operator new(std::size_t size)
{
    return Counted(std::malloc(size));
}
void operator delete(void* p) noexcept
{
    Uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    Uncounted(p);
}

namespace tavelo::bench {
namespace {

constexpr int kPerKind = 2000;
constexpr int kDocumentsPerSubject = 10;

const Corpus& TheCorpus()
{
    static const Corpus corpus = [] {
        Corpus c = MakeCorpus(kPerKind);
        static Corpus forCleanup;
        forCleanup = c;
        std::atexit([] { RemoveCorpus(forCleanup); });
        return c;
    }();
    return corpus;
}

std::vector<std::string> First(const std::vector<std::string>& files, std::size_t count)
{
    return {files.begin(), files.begin() + static_cast<std::ptrdiff_t>(std::min(count, files.size()))};
}

// The mix of the content search's benchmark corpus: half plain text, a
// quarter PDF, the rest old Office files.
std::vector<std::string> SmallBookFiles(const Corpus& c)
{
    std::vector<std::string> files;
    for (const auto& part : {First(c.text, 1000), First(c.pdf, 500), First(c.word, 250), First(c.spreadsheet, 250)})
        files.insert(files.end(), part.begin(), part.end());
    return files;
}

std::vector<std::string> LargeBookFiles(const Corpus& c)
{
    std::vector<std::string> files;
    for (const auto* kind : {&c.text, &c.pdf, &c.word, &c.spreadsheet, &c.html, &c.mail, &c.docx, &c.xlsx, &c.pptx,
                             &c.odt, &c.ods, &c.odp})
        files.insert(files.end(), kind->begin(), kind->end());
    return files;
}

SubjectList BookOf(const std::vector<std::string>& files)
{
    SubjectList book;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i % kDocumentsPerSubject == 0)
            book.push_back(std::make_unique<CTenorels>("Titre", "Sujet " + std::to_string(i), 0));
        book.back()->AddDocumentPath(files[i]);
    }
    return book;
}

// The queries timed, as typed.
struct NamedQuery {
    const char* name;
    std::string text;
};

const std::vector<NamedQuery>& Queries()
{
    static const std::vector<NamedQuery> queries = {
        {"word", kSoughtWord},                          // in one document in twenty
        {"two_words", std::string(kSoughtWord) + " facture"},
        {"phrase", "\"facture électricité\""},          // adjacent in most texts
        {"prefix", "zorg*"},                             // the sought word's beginning
        {"nowhere", "introuvable"},
        {"common", "facture"},                           // in every generated text
        {"common_prefix", "fact*"},
        {"either", std::string(kSoughtWord) + " OR introuvable"},
        {"without", std::string(kSoughtWord) + " -facture"}, // the Word and Excel files
    };
    return queries;
}

using DocumentSet = std::set<std::pair<std::size_t, int>>;

struct Book {
    std::vector<std::string> files;
    SubjectList subjects;
    std::unique_ptr<TextSource> source;
    std::unique_ptr<QuickSearch> search;
    std::string error; // why the book cannot be benchmarked
    // For each query: the documents it matches, text by text.
    std::map<std::string, DocumentSet> expected;
    std::size_t unreadable = 0;
};

// The documents the query matches when each text is evaluated whole.
void ComputeExpected(Book& book)
{
    std::vector<query::Query> parsed;
    for (const NamedQuery& q : Queries()) {
        parsed.push_back(query::ParseQuery(q.text));
        book.expected[q.name];
    }
    QuickSearch& search = *book.search;
    for (std::size_t s = 0; s < search.SubjectCount(); ++s) {
        const std::string name = search.SubjectName(s), title = search.GeneralTitle(s);
        const std::vector<query::Word> nameWords = query::Words(name), titleWords = query::Words(title);
        const query::Field inherited[] = {{query::kFieldName, name, nameWords},
                                          {query::kFieldGeneralTitle, title, titleWords}};
        for (int d = 0; d < static_cast<int>(book.subjects[s]->GetDocumentPaths().size()); ++d) {
            const std::optional<DocumentText> text = search.Text(s, d);
            const std::string body = text ? text->Body() : std::string();
            const std::string fileName = GetDocumentFileName(search.DocumentPath(s, d));
            const std::vector<query::Word> bodyWords = query::Words(body), nameOfFile = query::Words(fileName);
            const query::Field own[] = {{query::kFieldFileName, fileName, nameOfFile},
                                        {query::kFieldContents, body, bodyWords}};
            for (std::size_t q = 0; q < parsed.size(); ++q)
                if (query::Evaluate(parsed[q], own, inherited).matches)
                    book.expected[Queries()[q].name].emplace(s, d);
        }
    }
}

// Reads every document into a cache of its own, waits for the word index,
// then works out what each query must find.
std::unique_ptr<Book> MakeBook(std::vector<std::string> files, const char* cacheName)
{
    auto book = std::make_unique<Book>();
    book->files = std::move(files);
    book->subjects = BookOf(book->files);
    const std::string cache = TheCorpus().folder + "/" + cacheName;
    std::filesystem::remove_all(cache);
    book->source = std::make_unique<TextSource>(TextCache::Open(cache, std::uint64_t{8} << 30));
    book->search = std::make_unique<QuickSearch>(book->subjects, book->source->Cache());
    book->search->ReadMissing(*book->source);
    book->source->Cache().FinishIndexing();
    book->search->Refresh();
    if (const std::string warning = book->source->Cache().TakeWarning(); !warning.empty())
        book->error = "cache: " + warning;
    book->unreadable = book->search->Unread().size();
    if (book->unreadable != 0)
        book->error = std::to_string(book->unreadable) + " documents not in the cache after reading";
    // The sought word, independently of the query engine: the corpus knows
    // where it put it.
    DocumentSet planted;
    for (std::size_t s = 0; s < book->subjects.size(); ++s)
        for (int d = 0; d < static_cast<int>(book->subjects[s]->GetDocumentPaths().size()); ++d)
            if (HoldsSoughtWord(book->search->DocumentPath(s, d)))
                planted.emplace(s, d);
    ComputeExpected(*book);
    if (book->error.empty() && (book->expected["word"] != planted || book->expected["prefix"] != planted))
        book->error = "the texts hold the sought word in " + std::to_string(book->expected["word"].size()) +
                      " documents and its beginning in " + std::to_string(book->expected["prefix"].size()) +
                      ", the corpus put it in " + std::to_string(planted.size());
    return book;
}

Book& SmallBook()
{
    static const std::unique_ptr<Book> book = MakeBook(SmallBookFiles(TheCorpus()), "cache-2k");
    return *book;
}

Book& LargeBook()
{
    static const std::unique_ptr<Book> book = MakeBook(LargeBookFiles(TheCorpus()), "cache-24k");
    return *book;
}

Book& BookNamed(const std::string& name)
{
    return name == "2k" ? SmallBook() : LargeBook();
}

const NamedQuery& QueryNamed(const std::string& name)
{
    for (const NamedQuery& q : Queries())
        if (name == q.name)
            return q;
    std::abort();
}

DocumentSet DocumentsOf(const std::vector<QuickHit>& hits)
{
    DocumentSet found;
    for (const QuickHit& hit : hits)
        if (hit.document >= 0)
            found.emplace(hit.subject, hit.document);
    return found;
}

// False, with the error given to the benchmark, when the answer is wrong.
bool Check(benchmark::State& state, Book& book, const NamedQuery& q, const QuickResult& result,
           const std::vector<QuickHit>& hits)
{
    const DocumentSet& expected = book.expected[q.name];
    const DocumentSet found = DocumentsOf(hits);
    std::string error;
    if (result.unread != 0)
        error = std::to_string(result.unread) + " documents unread";
    else if (found != expected)
        error = std::to_string(found.size()) + " documents found instead of " + std::to_string(expected.size());
    else if (std::string(q.name) == "common" && expected.size() < book.files.size() / 2)
        error = "the common word is in " + std::to_string(expected.size()) + " documents only";
    else if (std::string(q.name) == "word" && expected.empty())
        error = "the sought word is nowhere";
    else if (std::string(q.name) == "nowhere" && !found.empty())
        error = "a word found nowhere was found";
    if (error.empty())
        return true;
    error = std::string(q.name) + ": " + error;
    state.SkipWithError(error.c_str());
    return false;
}

void Find(benchmark::State& state, const std::string& bookName, const std::string& queryName, bool rank)
{
    Book& book = BookNamed(bookName);
    if (!book.error.empty())
        return state.SkipWithError(book.error.c_str());
    const NamedQuery& q = QueryNamed(queryName);
    const auto once = [&](QuickResult& result) {
        const query::Query parsed = query::ParseQuery(q.text);
        result = book.search->Find(parsed);
        if (rank)
            book.search->Rank(parsed, result.hits);
    };
    QuickResult result;
    once(result);
    if (!Check(state, book, q, result, result.hits))
        return;
    for (auto _ : state) {
        once(result);
        benchmark::DoNotOptimize(result);
    }
    if (!Check(state, book, q, result, result.hits))
        return;
    state.counters["documents"] = static_cast<double>(book.files.size());
    state.counters["found"] = static_cast<double>(result.documentHits);
}

void Refresh(benchmark::State& state, const std::string& bookName)
{
    Book& book = BookNamed(bookName);
    if (!book.error.empty())
        return state.SkipWithError(book.error.c_str());
    for (auto _ : state)
        book.search->Refresh();
    if (!book.search->Unread().empty())
        return state.SkipWithError("documents lost from the cache");
    state.counters["documents"] = static_cast<double>(book.files.size());
}

long StatusKib(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// Linux resets the peak resident size (VmHWM) to the current one when 5 is
// written to clear_refs.
bool ResetResidentPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear) && StatusKib("VmHWM:") <= StatusKib("VmRSS:") + 64;
}

double Mib(double bytes)
{
    return bytes / (1024.0 * 1024.0);
}

// The peaks reached during Find, then during Find and Rank, above what was
// in use before: the C++ heap (operator new, below), SQLite's own memory,
// and the resident size, which only grows when the heap asks the system for
// more pages than it already holds.
void Memory(benchmark::State& state, const std::string& bookName, const std::string& queryName)
{
    Book& book = BookNamed(bookName);
    if (!book.error.empty())
        return state.SkipWithError(book.error.c_str());
    const NamedQuery& q = QueryNamed(queryName);
    double heapFind = 0, heapRank = 0, sqliteFind = 0, sqliteRank = 0, residentRank = 0;
    for (auto _ : state) {
        if (!ResetResidentPeak())
            return state.SkipWithError("cannot reset the peak resident size (/proc/self/clear_refs)");
        const long resident = StatusKib("VmRSS:");
        const auto sqliteBefore = static_cast<double>(sqlite3_memory_used());
        sqlite3_memory_highwater(1);
        const double heapBefore = HeapInUse();
        ResetHeapPeak();
        const query::Query parsed = query::ParseQuery(q.text);
        QuickResult result = book.search->Find(parsed);
        heapFind = HeapPeak() - heapBefore;
        sqliteFind = static_cast<double>(sqlite3_memory_highwater(0)) - sqliteBefore;
        if (!Check(state, book, q, result, result.hits))
            return;
        book.search->Rank(parsed, result.hits);
        heapRank = HeapPeak() - heapBefore;
        sqliteRank = static_cast<double>(sqlite3_memory_highwater(0)) - sqliteBefore;
        residentRank = static_cast<double>(StatusKib("VmHWM:") - resident) * 1024.0;
        if (!Check(state, book, q, result, result.hits))
            return;
    }
    state.counters["find_heap_MiB"] = Mib(heapFind);
    state.counters["find_sqlite_MiB"] = Mib(sqliteFind);
    state.counters["rank_heap_MiB"] = Mib(heapRank);
    state.counters["rank_sqlite_MiB"] = Mib(sqliteRank);
    state.counters["rank_resident_MiB"] = Mib(residentRank);
}

void Register()
{
    for (const char* bookName : {"2k", "24k"}) {
        for (const NamedQuery& q : Queries()) {
            benchmark::RegisterBenchmark(("Find/" + std::string(bookName) + "/" + q.name).c_str(), Find, bookName,
                                         q.name, false)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MinTime(1.0);
        }
        for (const char* q : {"word", "two_words", "common"})
            benchmark::RegisterBenchmark(("FindRank/" + std::string(bookName) + "/" + q).c_str(), Find, bookName,
                                         q, true)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MinTime(1.0);
        benchmark::RegisterBenchmark(("Refresh/" + std::string(bookName)).c_str(), Refresh, bookName)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(1.0);
        for (const char* q : {"word", "common"})
            benchmark::RegisterBenchmark(("Memory/" + std::string(bookName) + "/" + q).c_str(), Memory, bookName, q)
                ->Iterations(1);
    }
}

// The "2k" book's documents alone in `folder`, with the book as JSON and the
// documents that hold the sought word.
int WriteCorpus(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    const Corpus corpus = MakeCorpus(kPerKind / 2);
    nlohmann::ordered_json subjects = nlohmann::ordered_json::array();
    std::ofstream sought(folder + "/sought.txt");
    const std::vector<std::string> files = SmallBookFiles(corpus);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string target = folder + "/" + std::filesystem::path(files[i]).filename().string();
        std::error_code error;
        std::filesystem::rename(files[i], target, error);
        if (error)
            std::filesystem::copy_file(files[i], target, std::filesystem::copy_options::overwrite_existing);
        if (i % kDocumentsPerSubject == 0)
            subjects.push_back({{"general_title", "Titre"}, {"name", "Sujet " + std::to_string(i)},
                                {"documents", nlohmann::ordered_json::array()}});
        subjects.back()["documents"].push_back(target);
        if (corpus.withWord.count(files[i]) != 0)
            sought << target << '\n';
    }
    std::ofstream(folder + "/book.json") << nlohmann::ordered_json{{"subjects", subjects}}.dump(1) << '\n';
    RemoveCorpus(corpus);
    return sought ? 0 : 1;
}

} // namespace
} // namespace tavelo::bench

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--write-corpus")
        return tavelo::bench::WriteCorpus(argv[2]);
    // The memory benchmark reads SQLite's own count, which the program
    // leaves off: it is turned on before SQLite starts.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 1);
    sqlite3_initialize();
    tavelo::bench::Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
