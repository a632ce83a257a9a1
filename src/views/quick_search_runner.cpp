#include "views/quick_search_runner.h"

#include <QMetaObject>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "app/tenorel_doc.h"
#include "reading/content_hash.h"
#include "reading/text_source.h"

namespace tavelo::gui {

namespace {

std::atomic<bool> g_paused{false};
std::mutex g_pauseMutex;
std::condition_variable g_pauseChanged;

// The calling thread, and the reader processes it starts, give way to
// everything else on the machine.
void LowerPriority()
{
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
}

} // namespace

TextSource& QuickSearchRunner::Source()
{
    static TextSource source(TextCache::Open(), SourceOptions{{}, {}, 1});
    return source;
}

void QuickSearchRunner::SetReadingPaused(bool paused)
{
    {
        const std::lock_guard lock(g_pauseMutex);
        g_paused = paused;
    }
    g_pauseChanged.notify_all();
}

bool QuickSearchRunner::ReadingPaused()
{
    return g_paused;
}

QuickSearchRunner::QuickSearchRunner(CTenorelDoc* document, QObject* parent)
    : QObject(parent), m_document(document), m_worker([this] { Work(); })
{
}

QuickSearchRunner::~QuickSearchRunner()
{
    m_cancelReading = true;
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    g_pauseChanged.notify_all();
    m_worker.join();
    if (m_reader.joinable())
        m_reader.join();
}

std::uint64_t QuickSearchRunner::Fingerprint() const
{
    std::string all;
    for (const auto& subject : m_document->Subjects()) {
        for (const std::string* field :
             {&subject->GetGeneralTitle(), &subject->GetSubjectName(), &subject->GetExpectedText()}) {
            all += *field;
            all += '\0';
        }
        for (const std::string& path : subject->GetDocumentPaths()) {
            all += path;
            all += '\1';
        }
        all += '\2';
    }
    const ContentHash hash = HashBytes(all);
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value = value << 8 | hash[i];
    return value;
}

std::shared_ptr<QuickSearchRunner::Copy> QuickSearchRunner::TakeCopy()
{
    const std::uint64_t fingerprint = Fingerprint();
    const std::size_t count = m_document->GetSubjectCount();
    if (m_copy && m_copy->fingerprint == fingerprint && m_copy->records.size() == count) {
        bool same = true;
        for (std::size_t i = 0; i < count && same; ++i)
            same = m_copy->records[i] == m_document->GetSubject(i);
        if (same)
            return m_copy;
    }
    auto copy = std::make_shared<Copy>();
    copy->fingerprint = fingerprint;
    copy->subjects.reserve(count);
    copy->records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        copy->subjects.push_back(std::make_unique<CTenorels>(*m_document->GetSubject(i)));
        copy->records.push_back(m_document->GetSubject(i));
    }
    m_copy = copy;
    return copy;
}

void QuickSearchRunner::Search(std::shared_ptr<const query::Query> query)
{
    std::shared_ptr<Copy> copy = TakeCopy();
    {
        const std::lock_guard lock(m_mutex);
        m_pending = std::move(query);
        m_pendingCopy = std::move(copy);
        ++m_generation;
    }
    m_wake.notify_all();
}

void QuickSearchRunner::BeginSearch()
{
    // The reading thread looks at every document; the searching copy looks
    // again only once it has read one, so that a keystroke never waits for
    // the look.
    StartReading();
}

void QuickSearchRunner::Work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_pending; });
        if (m_stop)
            return;
        std::shared_ptr<const query::Query> query = std::move(m_pending);
        std::shared_ptr<Copy> copy = std::move(m_pendingCopy);
        const std::uint64_t generation = m_generation;
        const bool refresh = m_refresh;
        m_refresh = false;
        lock.unlock();

        Answer answer;
        answer.query = query;
        {
            const std::lock_guard searching(m_searchMutex);
            if (!m_search || m_searchCopy != copy) {
                m_search = std::make_unique<QuickSearch>(copy->subjects, Source().Cache());
                m_searchCopy = copy;
            } else if (refresh) {
                m_search->Refresh();
            }
            answer.result = m_search->Find(*query);
        }
        answer.records = copy->records;

        lock.lock();
        if (generation != m_generation || m_stop)
            continue; // a newer query is waiting
        lock.unlock();
        QMetaObject::invokeMethod(this, [this, answer = std::move(answer), generation] {
            {
                const std::lock_guard latest(m_mutex);
                if (generation != m_generation)
                    return;
            }
            if (onAnswer)
                onAnswer(answer);
        }, Qt::QueuedConnection);
        lock.lock();
    }
}

std::vector<QuickHit> QuickSearchRunner::Confirm(const query::Query& query, std::vector<QuickHit> hits)
{
    const std::lock_guard searching(m_searchMutex);
    std::vector<QuickHit> kept;
    if (!m_search)
        return kept;
    for (QuickHit& hit : hits)
        if (hit.confirmed || m_search->Confirm(query, hit))
            kept.push_back(std::move(hit));
    return kept;
}

void QuickSearchRunner::StartReading()
{
    if (m_readingActive)
        return;
    if (m_reader.joinable())
        m_reader.join();
    m_cancelReading = false;
    m_readingActive = true;
    m_reader = std::thread([this, copy = TakeCopy()] { Read(copy); });
}

void QuickSearchRunner::Read(std::shared_ptr<Copy> copy)
{
    LowerPriority();
    QuickSearch search(copy->subjects, Source().Cache());
    const auto tell = [this](std::size_t done, std::size_t total) {
        QMetaObject::invokeMethod(this, [this, done, total] {
            if (onReading)
                onReading(done, total);
        }, Qt::QueuedConnection);
    };
    const std::size_t unread = search.Unread().size();
    if (unread > 0) {
        tell(0, unread);
        search.ReadMissing(Source(), &m_cancelReading, [&](std::size_t done, std::size_t total) {
            tell(done, total);
            // The searching copy looks at the documents again now and then:
            // that costs a look at every file.
            if (done % 25 == 0 || done == total) {
                const std::lock_guard lock(m_mutex);
                m_refresh = true;
            }
            std::unique_lock pause(g_pauseMutex);
            g_pauseChanged.wait(pause, [this] { return !g_paused || m_cancelReading; });
        }, 1);
    }
    m_readingActive = false;
    tell(0, 0);
}

} // namespace tavelo::gui
