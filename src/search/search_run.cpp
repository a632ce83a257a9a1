#include "search/search_run.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "reading/text_source.h"
#include "search/document_search.h"
#include "search/search_pattern.h"

namespace tavelo {

namespace {

constexpr std::size_t kListedUnreadable = 10;

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
        const std::vector<std::string> literals = pattern.RequiredLiterals();
        if (!literals.empty() && source.Cache().Enabled()) {
            std::unordered_set<std::int64_t> candidates;
            bool narrowed = true;
            for (const std::string& literal : literals) {
                std::optional<std::unordered_set<std::int64_t>> ids = source.Cache().TextsContaining(literal);
                if (!ids) {
                    narrowed = false;
                    break;
                }
                candidates.merge(*ids);
            }
            if (narrowed)
                m_candidates = std::move(candidates);
        }
        // The thread that takes the verdicts reads too, while it waits.
        const std::size_t threads = std::min<std::size_t>(source.Parallelism(), m_tasks.size());
        for (std::size_t i = 1; i < threads; ++i)
            m_workers.emplace_back([this] {
                while (RunOne()) {
                }
            });
    }

    ~ContentSearch()
    {
        m_stop = true;
        for (std::thread& worker : m_workers)
            worker.join();
    }

    ContentSearch(const ContentSearch&) = delete;
    ContentSearch& operator=(const ContentSearch&) = delete;

    // The verdict on task `index`, once it is known; kPending when the
    // search was cancelled first.
    Verdict Wait(std::size_t index, std::string& reason)
    {
        Outcome& outcome = m_outcomes[index];
        Verdict verdict = outcome.verdict.load();
        // Rather than wait for another thread's document, read the next one.
        while (verdict == Verdict::kPending && !Cancelled() && RunOne())
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
    // Reads the next document of the queue; false when none is left or the
    // search is over.
    bool RunOne()
    {
        {
            if (m_stop || Cancelled())
                return false;
            const std::size_t index = m_next.fetch_add(1);
            if (index >= m_tasks.size())
                return false;
            const Task& task = m_tasks[index];
            Outcome& outcome = m_outcomes[index];
            Verdict verdict = Verdict::kSkipped;
            // A document after the one that matched is never looked at.
            if (m_foundAt[task.subjectIndex].load(std::memory_order_relaxed) > task.document)
                verdict = Examine(task, outcome.reason);
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

    Verdict Examine(const Task& task, std::string& reason)
    {
        SearchProgress* progress = m_environment.progress;
        if (progress != nullptr)
            progress->SetLine(std::string(kSearchingFilePrefix) + task.subject->GetDocumentFileName(task.document));
        ReadContext context;
        context.cancel = m_environment.cancel;
        context.candidates = m_candidates ? &*m_candidates : nullptr;
        const DocumentMatch match =
            SearchDocumentFile(task.subject->GetDocumentPath(task.document), task.kind, m_pattern, m_source, context);
        if (progress != nullptr)
            progress->DocumentRead();
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
    // Per subject, the lowest document index found to match.
    std::unique_ptr<std::atomic<int>[]> m_foundAt;
    const SearchPattern& m_pattern;
    TextSource& m_source;
    const SearchEnvironment& m_environment;
    std::optional<std::unordered_set<std::int64_t>> m_candidates;
    static constexpr std::size_t kNobody = static_cast<std::size_t>(-1);
    std::atomic<std::size_t> m_next{0};
    std::atomic<std::size_t> m_waitingFor{kNobody};
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::vector<std::thread> m_workers;
};

} // namespace

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
        for (std::size_t t = firstTask[index]; !found && t < firstTask[index + 1]; ++t) {
            std::string reason;
            const Verdict verdict = contents->Wait(t, reason);
            if (verdict == Verdict::kPending) {
                result.cancelled = true;
                break;
            }
            found = verdict == Verdict::kFound;
            if (verdict == Verdict::kUnreadable) {
                const Task& task = tasks[t];
                const std::string& path = task.subject->GetDocumentPath(task.document);
                result.unreadable.push_back({task.subject, path, UnreadableDocumentMessage(path, reason)});
            }
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
    }
    return result;
}

std::string DescribeUnreadableDocuments(const std::vector<UnreadableDocument>& unreadable)
{
    if (unreadable.empty())
        return {};
    std::string message = unreadable.size() == 1 ? "Un document n'a pas pu être lu pendant la recherche :\n"
                                                  : std::to_string(unreadable.size()) +
                                                        " documents n'ont pas pu être lus pendant la recherche :\n";
    const std::size_t listed = std::min(unreadable.size(), kListedUnreadable);
    for (std::size_t i = 0; i < listed; ++i) {
        message += unreadable[i].message;
        message += '\n';
    }
    const std::size_t rest = unreadable.size() - listed;
    if (rest == 1)
        message += "… et un autre document.\n";
    else if (rest > 1)
        message += "… et " + std::to_string(rest) + " autres documents.\n";
    return message;
}

} // namespace tavelo
