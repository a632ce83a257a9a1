#include "search/search_run.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "base/tr.h"
#include "reading/reader_protocol.h"
#include "reading/text_source.h"
#include "search/document_search.h"
#include "search/search_pattern.h"

namespace tavelo {

namespace {

constexpr std::size_t kListedUnreadable = 10;

std::string LowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Names, expected texts and file names come from books and are searched like
// any text; a match too complex for the library counts as no match.
bool SearchText(const SearchPattern& pattern, std::string_view text)
{
    try {
        return pattern.Search(text);
    } catch (const std::runtime_error&) {
        return false;
    }
}

bool MatchesOutsideContents(const CTenorels& subject, const SearchPattern& pattern, unsigned scopes)
{
    if ((scopes & kScopeSubjectNames) && SearchText(pattern, subject.GetSubjectName()))
        return true;
    if ((scopes & kScopeExpectedTexts) && SearchText(pattern, subject.GetExpectedText()))
        return true;
    if (scopes & kScopeDocumentNames) {
        for (int i = 0; i < subject.GetDocumentCount(); ++i)
            if (SearchText(pattern, subject.GetDocumentFileName(i)))
                return true;
    }
    return false;
}

enum class Verdict : std::uint8_t { kPending, kFound, kNotFound, kUnreadable, kSkipped };

// From this many documents, the cache's index is asked which texts hold the
// word; below, loading their texts costs less.
constexpr std::size_t kIndexWorthFrom = 32;

// One document of a subject not matched otherwise, in book order.
struct Task {
    const CTenorels* subject;
    std::size_t subjectIndex;
    int document;
    DocumentKind kind;
};

struct Outcome {
    std::atomic<Verdict> verdict{Verdict::kPending};
    std::string reason; // written before the verdict
};

// The documents of the search, read by several threads in book order, while
// the caller's thread takes their verdicts in book order too.
class ContentSearch {
public:
    ContentSearch(std::vector<Task> tasks, std::size_t subjectCount, const SearchPattern& pattern,
                  TextSource& source, const SearchEnvironment& environment)
        : m_tasks(std::move(tasks)), m_outcomes(new Outcome[m_tasks.size()]),
          m_foundAt(new std::atomic<int>[subjectCount]), m_pattern(pattern), m_source(source),
          m_environment(environment)
    {
        for (std::size_t i = 0; i < subjectCount; ++i)
            m_foundAt[i].store(INT_MAX, std::memory_order_relaxed);
        // First what the cache knows of every document, so that the count
        // says at once how many must be read for the first time.
        std::vector<std::pair<std::string_view, DocumentKind>> asked;
        asked.reserve(m_tasks.size());
        for (const Task& task : m_tasks)
            asked.emplace_back(task.subject->GetDocumentPath(task.document), task.kind);
        // The index's answer lists every text of the cache that holds the
        // word, whatever the book: for a few documents, loading their texts
        // costs less, and for none it is not asked. It is asked once the
        // cache's files are read, on their connection, while the files are
        // looked up on disk, and set aside when few of them are known. The
        // cache may be opening still: the files are looked at meanwhile.
        std::optional<TextCandidates> candidates;
        const auto askIndex = [&] {
            TextCache& cache = source.Cache();
            if (m_tasks.size() >= kIndexWorthFrom && !cache.KnowsNothing())
                candidates = cache.TextsContaining(pattern.RequiredLiterals());
        };
        m_lookups = LookMany(source, asked, true, {}, askIndex);
        TextCache& cache = source.Cache();
        const auto known = std::count_if(m_lookups.begin(), m_lookups.end(),
                                         [](const DocumentLookup& lookup) { return lookup.entry.has_value(); });
        if (static_cast<std::size_t>(known) >= kIndexWorthFrom)
            m_candidates = std::move(candidates);
        if (cache.Enabled() && environment.progress != nullptr)
            for (std::size_t i = 0; i < m_tasks.size(); ++i)
                if (!IsReadInProcess(m_tasks[i].kind) && !m_lookups[i].entry)
                    environment.progress->DocumentToReadFirstTime();
        const std::size_t threads = std::min<std::size_t>(source.Parallelism(), m_tasks.size());
        for (std::size_t i = 0; i < threads; ++i)
            m_workers.emplace_back([this] {
                std::vector<TextCache::SeenPath> seen;
                while (RunOne(true, seen)) {
                }
                m_source.Cache().RememberPaths(seen);
            });
    }

    ~ContentSearch()
    {
        m_stop = true;
        for (std::thread& worker : m_workers)
            worker.join();
        m_source.Cache().RememberPaths(m_callerSeen);
    }

    ContentSearch(const ContentSearch&) = delete;
    ContentSearch& operator=(const ContentSearch&) = delete;

    // The verdict on task `index`, once it is known; kPending when the
    // search was cancelled first.
    Verdict Wait(std::size_t index, std::string& reason)
    {
        Outcome& outcome = m_outcomes[index];
        Verdict verdict = outcome.verdict.load();
        // Rather than wait for another thread's document, read the next one
        // when it is plain text, which takes no longer than its size: a slow
        // document would hold the verdicts of all the others up.
        while (verdict == Verdict::kPending && !Cancelled() && RunOne(false, m_callerSeen))
            verdict = outcome.verdict.load();
        if (verdict == Verdict::kPending) {
            // Nothing left to read: the workers wake this thread only for the
            // task it waits for.
            std::unique_lock lock(m_mutex);
            m_waitingFor = index;
            while ((verdict = outcome.verdict.load()) == Verdict::kPending && !Cancelled())
                m_done.wait_for(lock, std::chrono::milliseconds(20));
            m_waitingFor = kNobody;
        }
        if (verdict != Verdict::kPending)
            reason = outcome.reason;
        return verdict;
    }

    bool Cancelled() const
    {
        return m_environment.cancel != nullptr && m_environment.cancel->load(std::memory_order_relaxed);
    }

private:
    // Reads the next document of the queue (only when it is plain text
    // unless `anyKind`); false when none is left, the next is not for this
    // thread, or the search is over. The paths of plain text read are
    // gathered in the thread's `seen`, and handed to the cache a few at a time.
    bool RunOne(bool anyKind, std::vector<TextCache::SeenPath>& seen)
    {
        if (m_stop || Cancelled())
            return false;
        {
            std::size_t index = m_next.load();
            if (anyKind) {
                index = m_next.fetch_add(1);
            } else {
                do {
                    if (index >= m_tasks.size() || !IsReadInProcess(m_tasks[index].kind))
                        return false;
                } while (!m_next.compare_exchange_weak(index, index + 1));
            }
            if (index >= m_tasks.size())
                return false;
            const Task& task = m_tasks[index];
            Outcome& outcome = m_outcomes[index];
            Verdict verdict = Verdict::kSkipped;
            // A document after the one that matched is never looked at.
            if (m_foundAt[task.subjectIndex].load(std::memory_order_relaxed) > task.document)
                verdict = Examine(index, task, m_lookups[index], outcome.reason, seen);
            constexpr std::size_t kSeenAtOnce = 64;
            if (seen.size() >= kSeenAtOnce)
                m_source.Cache().RememberPaths(seen);
            if (verdict == Verdict::kPending)
                return false; // cancelled
            if (verdict == Verdict::kFound) {
                std::atomic<int>& found = m_foundAt[task.subjectIndex];
                int current = found.load();
                while (task.document < current && !found.compare_exchange_weak(current, task.document)) {
                }
            }
            outcome.verdict.store(verdict);
            if (m_waitingFor.load() == index) {
                const std::lock_guard lock(m_mutex);
                m_done.notify_one();
            }
            return true;
        }
    }

    Verdict Examine(std::size_t index, const Task& task, const DocumentLookup& lookup, std::string& reason,
                    std::vector<TextCache::SeenPath>& seen)
    {
        SearchProgress* progress = m_environment.progress;
        const std::string name = task.subject->GetDocumentFileName(task.document);
        if (progress != nullptr)
            progress->SetLine(index, Tr("Search", kSearchingFilePrefix) + name);
        ReadContext context;
        context.cancel = m_environment.cancel;
        context.candidates = m_candidates ? &*m_candidates : nullptr;
        context.keepPlainText = true;
        context.seenPaths = &seen;
        if (progress != nullptr)
            context.progress = [progress, index, &name](std::string_view unit, std::size_t done, std::size_t total) {
                if (unit == reader_protocol::kOcrPageUnit)
                    progress->SetLine(index, RecognitionLine(name, done, total));
            };
        DocumentMatch match;
        try {
            match = MatchRead(m_source.Read(task.subject->GetDocumentPath(task.document), task.kind, context, &lookup),
                              task.kind, m_pattern);
        } catch (const std::bad_alloc&) {
            match = {DocumentMatch::kUnreadable, TAVELO_TR_NOOP("Search", "la mémoire manque pour le lire")};
        }
        if (progress != nullptr)
            progress->DocumentDone(index);
        switch (match.status) {
        case DocumentMatch::kFound: return Verdict::kFound;
        case DocumentMatch::kNotFound: return Verdict::kNotFound;
        case DocumentMatch::kCancelled: return Verdict::kPending;
        case DocumentMatch::kUnreadable: break;
        }
        reason = match.reason;
        return Verdict::kUnreadable;
    }

    std::vector<Task> m_tasks;
    std::unique_ptr<Outcome[]> m_outcomes;
    std::vector<DocumentLookup> m_lookups;
    // Per subject, the lowest document index found to match.
    std::unique_ptr<std::atomic<int>[]> m_foundAt;
    const SearchPattern& m_pattern;
    TextSource& m_source;
    const SearchEnvironment& m_environment;
    std::optional<TextCandidates> m_candidates;
    static constexpr std::size_t kNobody = static_cast<std::size_t>(-1);
    std::atomic<std::size_t> m_next{0};
    std::atomic<std::size_t> m_waitingFor{kNobody};
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::vector<TextCache::SeenPath> m_callerSeen;
    std::vector<std::thread> m_workers;
};

} // namespace

std::string RecognitionLine(const std::string& fileName, std::size_t page, std::size_t pages)
{
    std::string line = Tr("Search", kRecognisingPrefix) + fileName;
    if (pages > 1)
        line += Format(Tr("Search", ", page %1 sur %2"), {std::to_string(page), std::to_string(pages)});
    return line;
}

SearchResult RunSearch(const SubjectList& subjects, const SearchPattern& pattern, unsigned scopes,
                       const SearchEnvironment& environment)
{
    SearchResult result;
    SearchProgress* progress = environment.progress;
    const std::size_t count = subjects.size();
    if (progress != nullptr)
        progress->Begin(count);

    // Names, expected texts and file names first: a subject they match needs
    // none of its documents read.
    std::vector<bool> matched(count, false);
    std::vector<std::size_t> firstTask(count + 1, 0);
    std::vector<Task> tasks;
    for (std::size_t index = 0; index < count; ++index) {
        const CTenorels& subject = *subjects[index];
        firstTask[index] = tasks.size();
        matched[index] = MatchesOutsideContents(subject, pattern, scopes);
        if (matched[index] || !(scopes & kScopeDocumentContents))
            continue;
        for (int d = 0; d < subject.GetDocumentCount(); ++d) {
            const DocumentKind kind = KindOfExtension(subject.GetDocumentExtension(d));
            if (kind != DocumentKind::kOther)
                tasks.push_back({&subject, index, d, kind});
        }
    }
    firstTask[count] = tasks.size();
    if (progress != nullptr)
        progress->DocumentsQueued(tasks.size());

    TextSource& source = environment.source != nullptr ? *environment.source : DefaultTextSource();
    std::unique_ptr<ContentSearch> contents;
    if (!tasks.empty()) {
        source.BeginSearch();
        contents = std::make_unique<ContentSearch>(tasks, count, pattern, source, environment);
    }

    for (std::size_t index = 0; index < count && !result.cancelled; ++index) {
        bool found = matched[index];
        const CTenorels& subject = *subjects[index];
        std::size_t t = firstTask[index];
        const bool examined = !found && (scopes & kScopeDocumentContents);
        for (int d = 0; examined && !found && d < subject.GetDocumentCount(); ++d) {
            if (t == firstTask[index + 1] || tasks[t].document != d) {
                // Of no kind the search reads: said at the end.
                ++result.unreadKinds[LowerCase(subject.GetDocumentExtension(d))];
                continue;
            }
            std::string reason;
            const Verdict verdict = contents->Wait(t, reason);
            if (verdict == Verdict::kPending) {
                result.cancelled = true;
                break;
            }
            found = verdict == Verdict::kFound;
            if (verdict == Verdict::kUnreadable) {
                const std::string& path = subject.GetDocumentPath(d);
                result.unreadable.push_back({&subject, path, UnreadableDocumentMessage(path, reason)});
            }
            ++t;
        }
        if (found && !result.cancelled)
            result.hits.push_back(subjects[index].get());
        if (progress != nullptr && !result.cancelled)
            progress->SubjectExamined();
        if (environment.cancel != nullptr && environment.cancel->load())
            result.cancelled = true;
    }
    if (contents) {
        contents.reset();
        source.EndSearch();
        result.readerNotice = source.TakeReaderNotice();
        result.cacheWarning = source.Cache().TakeWarning();
    }
    if (result.cancelled) {
        result.hits.clear();
        result.unreadable.clear();
        result.unreadKinds.clear();
    }
    return result;
}

std::string DescribeUnreadKinds(const std::map<std::string, std::size_t>& unreadKinds)
{
    // A name without a dot has the whole path for extension.
    std::size_t total = 0;
    std::size_t withoutExtension = 0;
    std::string kinds;
    for (const auto& [extension, documents] : unreadKinds) {
        total += documents;
        if (extension.empty() || extension.find_first_of("/\\") != std::string::npos) {
            withoutExtension += documents;
            continue;
        }
        kinds += (kinds.empty() ? "." : ", .") + extension + " (" + std::to_string(documents) + ")";
    }
    if (withoutExtension > 0)
        kinds += (kinds.empty() ? "" : ", ") + Format(Tr("Search", "sans extension (%1)"), {std::to_string(withoutExtension)});
    if (total == 0)
        return {};
    return (total == 1 ? Tr("Search", "Un document n'a pas été examiné, son genre n'est pas lu : ")
                       : Format(Tr("Search", "%1 documents n'ont pas été examinés, leur genre n'est pas lu : "), {std::to_string(total)})) +
           kinds + ".";
}

bool CacheServesSearch(const SubjectList& subjects, unsigned scopes)
{
    if (!(scopes & kScopeDocumentContents))
        return false;
    std::size_t read = 0;
    for (const auto& subject : subjects)
        for (int d = 0; d < subject->GetDocumentCount(); ++d) {
            const DocumentKind kind = KindOfExtension(subject->GetDocumentExtension(d));
            if (kind != DocumentKind::kOther && !IsReadInProcess(kind))
                return true;
            read += kind != DocumentKind::kOther ? 1 : 0;
        }
    return read >= kIndexWorthFrom;
}

std::string DescribeUnreadableDocuments(const std::vector<UnreadableDocument>& unreadable)
{
    if (unreadable.empty())
        return {};
    std::string message =
        unreadable.size() == 1
            ? Tr("Search", "Un document n'a pas pu être lu pendant la recherche :\n")
            : Format(Tr("Search", "%1 documents n'ont pas pu être lus pendant la recherche :\n"), {std::to_string(unreadable.size())});
    const std::size_t listed = std::min(unreadable.size(), kListedUnreadable);
    for (std::size_t i = 0; i < listed; ++i) {
        message += unreadable[i].message;
        message += '\n';
    }
    const std::size_t rest = unreadable.size() - listed;
    if (rest == 1)
        message += Tr("Search", "… et un autre document.\n");
    else if (rest > 1)
        message += Format(Tr("Search", "… et %1 autres documents.\n"), {std::to_string(rest)});
    return message;
}

} // namespace tavelo
