#pragma once
// The reading side as the search sees it: the text of a document, from the
// cache when the file has not changed, else from a reader process (plain text
// is read here), then kept in the cache.

#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "reading/document_text.h"
#include "reading/kinds.h"
#include "reading/reader_process.h"
#include "reading/text_cache.h"

namespace tavelo {

struct SourceOptions {
    ReaderLimits limits;
    // Empty: FindReaderProgram().
    std::string readerProgram;
    // Documents read at once (reader processes, and threads for plain text);
    // 0: one per processor.
    unsigned parallelism = 0;
};

struct DocumentRead {
    ReadStatus status = ReadStatus::kUnreadable;
    DocumentText text;
    // Plain text: the file's bytes, undecoded.
    std::string bytes;
    // The cache knows this document's text and it lacks the literal that
    // every match needs: nothing was loaded.
    bool ruledOut = false;
    // Why it cannot be read, in French, without the document's name.
    std::string reason;
    // False when the failure says nothing lasting about the file.
    bool lasting = true;
};

// What the cache knows of a document before it is read.
struct DocumentLookup {
    bool regularFile = false;
    FileState state;
    std::optional<CacheEntry> entry;
    // Plain text the cache holds no text of: what was last read at its path.
    std::optional<KnownFile> lastSeen;
};

struct ReadContext {
    const std::atomic<bool>* cancel = nullptr;
    ReadProgress progress;
    // Texts of the cache that may hold a match (TextCache::TextsContaining);
    // nullptr when every text may.
    const TextCandidates* candidates = nullptr;
    // Plain text read from its file is kept in the cache when it is found
    // unchanged since it was last read (DocumentLookup::lastSeen), so that
    // from then on the cache's index answers for it. Kept at first sight, a
    // text read once would cost the cache more than reading it does.
    bool keepPlainText = false;
    // Where given, the paths of plain text read are gathered here, for
    // TextCache::RememberPaths, rather than remembered one at a time.
    std::vector<TextCache::SeenPath>* seenPaths = nullptr;
};

// Calls work(i) for every i below count: on up to four threads once count
// reaches `worthSharing`, on the caller's alone below.
// With `meanwhile`, the caller runs it first while the helper threads start
// on the work, which it then joins.
void InParallel(std::size_t count, std::size_t worthSharing, const std::function<void(std::size_t)>& work,
                const std::function<void()>& meanwhile = {});

// TextSource::Look for many documents, in the same order: each folder is
// opened once and its files looked up in it, on a few threads, and `cache`
// is asked in one pass. Plain text files are looked up too when `plainText`
// (with what was last read at their paths); the kinds that are never read,
// never. `meanwhile` runs on the caller's thread while the files are
// looked at, before the cache is read; `thenAsk` once a cache that can be
// used is read, on the same thread and connection, while the files are
// looked at still.
std::vector<DocumentLookup> LookMany(TextCache& cache,
                                     const std::vector<std::pair<std::string_view, DocumentKind>>& documents,
                                     bool plainText = false, const std::function<void()>& meanwhile = {},
                                     const std::function<void()>& thenAsk = {});

class TextSource;
// LookMany with the source's cache, which may be opening still: the files
// are looked at while it opens, plain text among them until the cache is
// found to know none.
std::vector<DocumentLookup> LookMany(TextSource& source,
                                     const std::vector<std::pair<std::string_view, DocumentKind>>& documents,
                                     bool plainText = false, const std::function<void()>& meanwhile = {},
                                     const std::function<void()>& thenAsk = {});

class TextSource {
public:
    explicit TextSource(std::unique_ptr<TextCache> cache, SourceOptions options = {});
    // With a cache still opening (TextCache::OpenInBackground): Cache()
    // waits for it the first time it is asked.
    explicit TextSource(std::future<std::unique_ptr<TextCache>> opening, SourceOptions options = {});
    ~TextSource();
    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    TextCache& Cache();
    // Whether Cache() answers without waiting.
    bool CacheReady() const { return m_cacheReady.load(std::memory_order_acquire); }
    unsigned Parallelism() const { return m_parallelism; }
    const ReaderLimits& Limits() const { return m_options.limits; }

    // Before each search: a reader program that failed during the last one is
    // tried again.
    void BeginSearch();
    // At the end of a search: the cache is written.
    void EndSearch();

    // Calls read(i) for every i below count on up to `threads` threads (the
    // source's parallelism when 0), between BeginSearch and EndSearch.
    void ReadInParallel(std::size_t count, const std::function<void(std::size_t)>& read, unsigned threads = 0);
    // Keeps the text of a plain text file read by Read (its `bytes`), as the
    // file in `state` holds it, so that the word index holds it too; the
    // decoded text, which may stand in `storage`. `hash`: the bytes' hash,
    // when the caller has it already.
    std::string_view KeepPlainText(const std::string& path, const FileState& state, DocumentKind kind,
                                   const std::string& bytes, std::string& storage, const ContentHash* hash = nullptr);

    // The file's state and what the cache holds for it, without reading it.
    DocumentLookup Look(const std::string& path, DocumentKind kind);

    // Safe from several threads at once; each call uses one reader process.
    // `known` is Look's answer when it was asked already.
    DocumentRead Read(const std::string& path, DocumentKind kind, const ReadContext& context,
                      const DocumentLookup* known = nullptr);

    // Why the reader program could not be used during this search, once.
    std::string TakeReaderNotice();

    // Reader processes started so far.
    int ReaderStarts() const;

private:
    DocumentRead ReadInProcess(const std::string& path, const DocumentLookup* known, const ReadContext& context);
    DocumentRead ReadWithReader(int fd, DocumentKind kind, const ReadContext& context);
    std::unique_ptr<ReaderProcess> AcquireReader();
    void ReleaseReader(std::unique_ptr<ReaderProcess> reader);

    std::unique_ptr<TextCache> m_cache;
    std::future<std::unique_ptr<TextCache>> m_opening;
    std::once_flag m_opened;
    std::atomic<bool> m_cacheReady{false};
    bool m_searchBegun = false; // under m_mutex: the cache resumes when it opens
    SourceOptions m_options;
    unsigned m_parallelism;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<ReaderProcess>> m_idleReaders;
    int m_retiredStarts = 0;
    std::string m_readerFailure; // set when the program failed during this search
    std::string m_notice;
    bool m_noticeTaken = false;
};

// The reading side shared by the searches of this process that do not bring
// their own: the user's text cache, one reader per processor.
TextSource& DefaultTextSource();

} // namespace tavelo
