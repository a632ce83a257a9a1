#include "reading/text_source.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/tr.h"
#include "book/file_io.h"
#include "reading/content_hash.h"
#include "reading/document_file.h"
#include "reading/text_decoding.h"

namespace tavelo {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

DocumentRead Unreadable(std::string reason)
{
    DocumentRead read;
    read.status = ReadStatus::kUnreadable;
    read.reason = std::move(reason);
    return read;
}

const char* const kNotRegular = TAVELO_TR_NOOP("Search", "ce n'est pas un fichier ordinaire");

// O_NONBLOCK keeps a named pipe or a device from holding the search up at
// open; anything but a regular file is refused right after.
int OpenRegular(const std::string& path, struct stat& st, std::string& reason)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        reason = DescribeError(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = S_ISDIR(st.st_mode) ? DescribeError(EISDIR) : kNotRegular;
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

namespace {

// Fills in the reader program; the documents read at once.
unsigned Completed(SourceOptions& options)
{
    if (options.readerProgram.empty())
        options.readerProgram = FindReaderProgram();
    return options.parallelism != 0 ? options.parallelism : std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

TextSource::TextSource(std::unique_ptr<TextCache> cache, SourceOptions options)
    : m_cache(cache ? std::move(cache) : TextCache::Disabled()), m_cacheReady(true), m_options(std::move(options)),
      m_parallelism(Completed(m_options))
{
}

TextSource::TextSource(std::future<std::unique_ptr<TextCache>> opening, SourceOptions options)
    : m_opening(std::move(opening)), m_options(std::move(options)), m_parallelism(Completed(m_options))
{
}

TextCache& TextSource::Cache()
{
    if (!CacheReady())
        std::call_once(m_opened, [this] {
            std::unique_ptr<TextCache> cache = m_opening.valid() ? m_opening.get() : nullptr;
            if (!cache)
                cache = TextCache::Disabled();
            const std::lock_guard lock(m_mutex);
            m_cache = std::move(cache);
            if (m_searchBegun)
                m_cache->Resume();
            m_cacheReady.store(true, std::memory_order_release);
        });
    return *m_cache;
}

TextSource::~TextSource() = default;

void TextSource::BeginSearch()
{
    // A cache still opening is not waited for: it is told when it opens.
    const std::lock_guard lock(m_mutex);
    m_searchBegun = true;
    if (CacheReady())
        m_cache->Resume();
    m_readerFailure.clear();
    m_notice.clear();
    m_noticeTaken = false;
}

void TextSource::EndSearch()
{
    Cache().Flush();
}

std::string TextSource::TakeReaderNotice()
{
    const std::lock_guard lock(m_mutex);
    if (m_noticeTaken || m_notice.empty())
        return {};
    m_noticeTaken = true;
    return m_notice;
}

int TextSource::ReaderStarts() const
{
    const std::lock_guard lock(m_mutex);
    int starts = m_retiredStarts;
    for (const auto& reader : m_idleReaders)
        starts += reader->Starts();
    return starts;
}

std::unique_ptr<ReaderProcess> TextSource::AcquireReader()
{
    const std::lock_guard lock(m_mutex);
    if (!m_idleReaders.empty()) {
        std::unique_ptr<ReaderProcess> reader = std::move(m_idleReaders.back());
        m_idleReaders.pop_back();
        return reader;
    }
    return std::make_unique<ReaderProcess>(m_options.readerProgram, m_options.limits);
}

void TextSource::ReleaseReader(std::unique_ptr<ReaderProcess> reader)
{
    const std::lock_guard lock(m_mutex);
    if (m_idleReaders.size() < m_parallelism)
        m_idleReaders.push_back(std::move(reader));
    else
        m_retiredStarts += reader->Starts();
}

DocumentRead TextSource::ReadInProcess(const std::string& path, const DocumentLookup* known, const ReadContext& context)
{
    struct stat st {};
    std::string reason;
    const Descriptor fd(OpenRegular(path, st, reason));
    if (fd.get() < 0)
        return Unreadable(reason);
    DocumentRead read;
    if (static_cast<std::uint64_t>(st.st_size) > kMaxDocumentBytes)
        return Unreadable(TAVELO_TR_NOOP("Search", "le document est trop volumineux"));
    try {
        // One byte more than the size, so that a file that grew is read whole.
        read.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
        std::size_t done = 0;
        for (;;) {
            if (done == read.bytes.size()) {
                if (read.bytes.size() > kMaxDocumentBytes)
                    return Unreadable(TAVELO_TR_NOOP("Search", "le document est trop volumineux"));
                read.bytes.resize(std::min(kMaxDocumentBytes + 1, read.bytes.size() * 2));
            }
            const ssize_t n = ::read(fd.get(), read.bytes.data() + done, read.bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return Unreadable(DescribeError(errno));
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
            // A regular file read short, at the size it had, has ended: no
            // second call to be told so.
            if (done == static_cast<std::size_t>(st.st_size) && done < read.bytes.size())
                break;
        }
        read.bytes.resize(done);
    } catch (const std::bad_alloc&) {
        return Unreadable(TAVELO_TR_NOOP("Search", "la mémoire manque pour le lire"));
    }
    read.status = ReadStatus::kRead;
    if (!Cache().Enabled() || (known != nullptr && known->entry))
        return read;
    const ContentHash hash = HashBytes(read.bytes);
    // Kept in the state it had when it was opened, read at that size: a file
    // written meanwhile has another time, and is read again next time.
    const FileState state = StateOf(st);
    const std::optional<KnownFile>* seen = context.keepPlainText && known != nullptr ? &known->lastSeen : nullptr;
    if (seen != nullptr && *seen && (*seen)->size == read.bytes.size() && (*seen)->hash == hash &&
        state.size == read.bytes.size()) {
        std::string storage;
        KeepPlainText(path, state, DocumentKind::kText, read.bytes, storage, &hash);
    } else if (context.seenPaths != nullptr) {
        context.seenPaths->push_back({path, read.bytes.size(), hash});
    } else {
        Cache().RememberPath(path, read.bytes.size(), hash);
    }
    return read;
}

DocumentRead TextSource::ReadWithReader(int fd, DocumentKind kind, const ReadContext& context)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_readerFailure.empty()) {
            DocumentRead read;
            read.status = ReadStatus::kNoReader;
            read.reason = m_readerFailure;
            return read;
        }
    }
    std::unique_ptr<ReaderProcess> reader = AcquireReader();
    ReadOutcome outcome = reader->Read(fd, kind, context.cancel, context.progress);
    ReleaseReader(std::move(reader));
    DocumentRead read;
    read.status = outcome.status;
    read.text = std::move(outcome.text);
    if (outcome.status == ReadStatus::kNoReader) {
        const std::lock_guard lock(m_mutex);
        if (m_notice.empty())
            m_notice = Format(Tr("Search", "Les documents autres que le texte brut n'ont pas pu être lus : %1."), {outcome.reason});
        m_readerFailure = TAVELO_TR_NOOP("Search", "le programme de lecture des documents n'a pas pu être utilisé");
        read.reason = m_readerFailure;
        return read;
    }
    read.reason = std::move(outcome.reason);
    read.lasting = outcome.lasting;
    return read;
}

namespace {

// Runs `work` on `threads` threads, the caller's among them, and waits for all.
void OnThreads(unsigned threads, const std::function<void()>& work)
{
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace

void TextSource::ReadInParallel(std::size_t count, const std::function<void(std::size_t)>& read, unsigned threads)
{
    if (count == 0)
        return;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1))
            read(i);
    };
    const unsigned used = std::max(1u, std::min<unsigned>(threads == 0 ? Parallelism() : threads,
                                                          static_cast<unsigned>(std::min<std::size_t>(count, UINT_MAX))));
    BeginSearch();
    OnThreads(used, work);
    EndSearch();
}

std::string_view TextSource::KeepPlainText(const std::string& path, const FileState& state, DocumentKind kind,
                                           const std::string& bytes, std::string& storage, const ContentHash* hash)
{
    const std::string_view decoded = DecodeTextFile(bytes, storage);
    DocumentText text;
    text.Append(MatchRule::kPattern, decoded);
    Cache().Store(path, state, kind, hash != nullptr ? *hash : HashBytes(bytes), &text);
    return decoded;
}

void InParallel(std::size_t count, std::size_t worthSharing, const std::function<void(std::size_t)>& work,
                const std::function<void()>& meanwhile)
{
    constexpr unsigned kMostThreads = 4;
    const unsigned threads = count < worthSharing ? 1u : std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
    if (threads == 1) {
        if (meanwhile)
            meanwhile();
        for (std::size_t i = 0; i < count; ++i)
            work(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    const auto share = [&] {
        constexpr std::size_t kBatch = 16;
        for (std::size_t from; (from = next.fetch_add(kBatch)) < count;)
            for (std::size_t i = from; i < std::min(count, from + kBatch); ++i)
                work(i);
    };
    // The helpers start on the work; the caller joins them once done with
    // its own.
    OnThreads(threads, [&, first = std::this_thread::get_id()] {
        if (meanwhile && std::this_thread::get_id() == first)
            meanwhile();
        share();
    });
}

namespace {

// LookMany's work, with the cache `resolve` gives, which is known already
// when `resolved`. Until then every kind that may be looked at is, plain text
// among them; what the cache makes needless is forgotten once it is known.
std::vector<DocumentLookup> LookManyWith(const std::function<TextCache&()>& resolve, bool resolved,
                                         const std::vector<std::pair<std::string_view, DocumentKind>>& documents,
                                         bool plainText, const std::function<void()>& meanwhile,
                                         const std::function<void()>& thenAsk)
{
    std::vector<DocumentLookup> lookups(documents.size());
    TextCache* cache = resolved ? &resolve() : nullptr;
    if (cache != nullptr && !cache->Enabled()) {
        if (meanwhile)
            meanwhile();
        return lookups;
    }
    // Plain text costs a look only where the cache may know it.
    plainText = plainText && (cache == nullptr || !cache->KnowsNothing());
    const auto looked = [plainText](DocumentKind kind) {
        return kind != DocumentKind::kOther && (plainText || !IsReadInProcess(kind));
    };
    // A book's documents share a few folders: each is opened once.
    std::vector<int> folders(documents.size(), AT_FDCWD);
    std::unordered_map<std::string_view, int> opened;
    std::size_t looking = 0;
    std::size_t plainLooking = 0;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const auto& [path, kind] = documents[i];
        const std::size_t slash = path.rfind('/');
        looking += looked(kind) ? 1 : 0;
        plainLooking += looked(kind) && IsReadInProcess(kind) ? 1 : 0;
        if (slash == std::string_view::npos || slash == 0 || !looked(kind))
            continue;
        const std::string_view folder = path.substr(0, slash);
        auto [at, added] = opened.try_emplace(folder, -1);
        if (added)
            at->second = ::open(std::string(folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        folders[i] = at->second;
    }
    // What the cache knows is read while the files are looked at.
    std::shared_ptr<const TextCache::KnownFiles> known;
    std::atomic<bool> plainForgotten{false};
    const auto readCache = [&] {
        if (meanwhile)
            meanwhile();
        if (cache == nullptr)
            cache = &resolve();
        if (!cache->Enabled())
            return;
        plainForgotten = plainText && cache->KnowsNothing();
        known = cache->KnownFilesFor(plainForgotten ? looking - plainLooking : looking);
        if (thenAsk)
            thenAsk();
    };
    const auto look = [&](std::size_t i) {
        const auto& [path, kind] = documents[i];
        if (!looked(kind) || (IsReadInProcess(kind) && plainForgotten.load(std::memory_order_relaxed)))
            return;
        struct stat st {};
        const std::size_t slash = path.rfind('/');
        const bool found = folders[i] >= 0 && slash != std::string_view::npos
                               ? ::fstatat(folders[i], std::string(path.substr(slash + 1)).c_str(), &st, 0) == 0
                               : ::stat(std::string(path).c_str(), &st) == 0;
        if (found && S_ISREG(st.st_mode)) {
            lookups[i].regularFile = true;
            lookups[i].state = StateOf(st);
        }
    };
    InParallel(documents.size(), 512, look, readCache);
    for (const auto& [folder, fd] : opened)
        if (fd >= 0)
            ::close(fd);
    if (!cache->Enabled())
        return std::vector<DocumentLookup>(documents.size());
    if (plainForgotten)
        for (std::size_t i = 0; i < documents.size(); ++i)
            if (IsReadInProcess(documents[i].second))
                lookups[i] = DocumentLookup();
    std::vector<std::pair<FileState, DocumentKind>> asked;
    std::vector<std::size_t> askedFor;
    asked.reserve(looking);
    askedFor.reserve(looking);
    for (std::size_t i = 0; i < documents.size(); ++i)
        if (lookups[i].regularFile) {
            asked.emplace_back(lookups[i].state, documents[i].second);
            askedFor.push_back(i);
        }
    std::vector<std::optional<CacheEntry>> entries = cache->FindMany(asked, known.get());
    for (std::size_t i = 0; i < entries.size(); ++i)
        lookups[askedFor[i]].entry = std::move(entries[i]);
    std::vector<std::string_view> unknown;
    std::vector<std::size_t> unknownFor;
    for (std::size_t i = 0; i < documents.size(); ++i)
        if (lookups[i].regularFile && !lookups[i].entry && IsReadInProcess(documents[i].second)) {
            unknown.push_back(documents[i].first);
            unknownFor.push_back(i);
        }
    std::vector<std::optional<KnownFile>> seen = cache->LastSeenMany(unknown);
    for (std::size_t i = 0; i < seen.size(); ++i)
        lookups[unknownFor[i]].lastSeen = std::move(seen[i]);
    return lookups;
}

} // namespace

std::vector<DocumentLookup> LookMany(TextCache& cache,
                                     const std::vector<std::pair<std::string_view, DocumentKind>>& documents,
                                     bool plainText, const std::function<void()>& meanwhile,
                                     const std::function<void()>& thenAsk)
{
    return LookManyWith([&cache]() -> TextCache& { return cache; }, true, documents, plainText, meanwhile, thenAsk);
}

std::vector<DocumentLookup> LookMany(TextSource& source,
                                     const std::vector<std::pair<std::string_view, DocumentKind>>& documents,
                                     bool plainText, const std::function<void()>& meanwhile,
                                     const std::function<void()>& thenAsk)
{
    return LookManyWith([&source]() -> TextCache& { return source.Cache(); }, source.CacheReady(), documents,
                        plainText, meanwhile, thenAsk);
}

DocumentLookup TextSource::Look(const std::string& path, DocumentKind kind)
{
    DocumentLookup lookup;
    struct stat st {};
    if (IsReadInProcess(kind) || !Cache().Enabled() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return lookup;
    lookup.regularFile = true;
    lookup.state = StateOf(st);
    lookup.entry = Cache().Find(lookup.state, kind);
    return lookup;
}

DocumentRead TextSource::Read(const std::string& path, DocumentKind kind, const ReadContext& context,
                              const DocumentLookup* known)
{
    TextCache& cache = Cache();
    const auto fromEntry = [&](const CacheEntry& entry) -> std::optional<DocumentRead> {
        if (entry.unreadable)
            return Unreadable(entry.reason);
        DocumentRead read;
        read.status = ReadStatus::kRead;
        if (context.candidates != nullptr && context.candidates->RulesOut(entry.textId)) {
            read.ruledOut = true;
            return read;
        }
        std::optional<DocumentText> text = cache.LoadText(entry.textId);
        if (!text)
            return std::nullopt;
        read.text = std::move(*text);
        return read;
    };

    if (IsReadInProcess(kind)) {
        // The cache's text of an unchanged file is the file's own: reading
        // the file costs less than loading it, and only the index is asked.
        const CacheEntry* entry = known != nullptr && known->entry ? &*known->entry : nullptr;
        if (entry != nullptr && !entry->unreadable && context.candidates != nullptr &&
            context.candidates->RulesOut(entry->textId)) {
            DocumentRead read;
            read.status = ReadStatus::kRead;
            read.ruledOut = true;
            return read;
        }
        return ReadInProcess(path, known, context);
    }
    const DocumentLookup lookup = known != nullptr ? *known : Look(path, kind);
    if (lookup.entry)
        if (std::optional<DocumentRead> read = fromEntry(*lookup.entry))
            return std::move(*read);

    struct stat st {};

    std::string reason;
    const Descriptor fd(OpenRegular(path, st, reason));
    if (fd.get() < 0)
        return Unreadable(reason);
    const FileState state = StateOf(st);
    std::optional<ContentHash> hash;
    if (cache.Enabled()) {
        // Moved, renamed or copied: the same bytes were read before.
        hash = HashDescriptor(fd.get(), reason);
        if (!hash)
            return Unreadable(reason);
        if (const std::optional<CacheEntry> entry = cache.FindContent(*hash, kind)) {
            if (std::optional<DocumentRead> read = fromEntry(*entry)) {
                cache.Link(path, state, kind, *hash, entry->textId);
                return std::move(*read);
            }
        }
        if (::lseek(fd.get(), 0, SEEK_SET) != 0)
            return Unreadable(DescribeError(errno));
    }
    DocumentRead read = ReadWithReader(fd.get(), kind, context);
    if (hash) {
        if (read.status == ReadStatus::kRead)
            cache.Store(path, state, kind, *hash, &read.text);
        else if (read.status == ReadStatus::kUnreadable && read.lasting)
            cache.Store(path, state, kind, *hash, nullptr, read.reason);
    }
    return read;
}

TextSource& DefaultTextSource()
{
    static TextSource source(TextCache::Open());
    return source;
}

} // namespace tavelo
