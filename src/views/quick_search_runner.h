#pragma once
// The quick search of one book window, off the window's thread: a copy of the
// book's texts and paths searched on a thread of its own, the latest query
// first (a keystroke's query makes the one before it pointless), and the
// documents the text cache does not hold yet read in the background, at low
// priority and one at a time, so that the search soon covers them.

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "search/query/quick_search.h"

namespace tavelo {
class CTenorels;
class TextSource;
}

namespace tavelo::gui {

class CTenorelDoc;

class QuickSearchRunner : public QObject {
    Q_OBJECT
public:
    explicit QuickSearchRunner(CTenorelDoc* document, QObject* parent = nullptr);
    ~QuickSearchRunner() override;

    // What a search found, with the book's records its hits stand for (null
    // for a record that has left the book since).
    struct Answer {
        std::shared_ptr<const query::Query> query;
        QuickResult result;
        std::vector<CTenorels*> records;
    };
    // Called on the window's thread with the answer to the latest query.
    std::function<void(const Answer&)> onAnswer;
    // Called on the window's thread as the background reading goes: documents
    // read and to read; (0, 0) when it is over.
    std::function<void(std::size_t, std::size_t)> onReading;

    // Searches the book as it is now (a changed book is copied again).
    void Search(std::shared_ptr<const query::Query> query);
    // A new search begins (the field was empty): the documents' sizes and
    // dates are looked at again in the background, and those that changed
    // are read.
    void BeginSearch();
    // The hits of one subject, confirmed on their texts with their extracts.
    std::vector<QuickHit> Confirm(const query::Query& query, std::vector<QuickHit> hits);

    // Reads the book's documents that the cache does not hold.
    void StartReading();
    bool Reading() const { return m_readingActive; }
    // "Suspendre la lecture des documents", for every book of the process.
    static void SetReadingPaused(bool paused);
    static bool ReadingPaused();

    // The process's source of texts for the quick search: the user's cache,
    // one reader.
    static TextSource& Source();

private:
    struct Copy {
        SubjectList subjects;
        std::vector<CTenorels*> records;
        std::uint64_t fingerprint = 0;
    };
    std::shared_ptr<Copy> TakeCopy();
    std::uint64_t Fingerprint() const;
    void Work();
    void Read(std::shared_ptr<Copy> copy);

    CTenorelDoc* m_document;
    std::shared_ptr<Copy> m_copy; // the window's thread only

    std::mutex m_mutex; // what follows, with m_wake
    std::condition_variable m_wake;
    std::shared_ptr<const query::Query> m_pending;
    std::shared_ptr<Copy> m_pendingCopy;
    std::uint64_t m_generation = 0;
    bool m_stop = false;
    bool m_refresh = false; // texts were read since the copy looked

    std::mutex m_searchMutex; // m_search and m_searchCopy
    std::unique_ptr<QuickSearch> m_search;
    std::shared_ptr<Copy> m_searchCopy;

    std::atomic<bool> m_cancelReading{false};
    std::atomic<bool> m_readingActive{false};
    std::thread m_worker;
    std::thread m_reader;
};

} // namespace tavelo::gui
