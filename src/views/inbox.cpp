#include "views/inbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <atomic>
#include <ctime>
#include <limits>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "app/command_host.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "book/tenorels.h"
#include "filing/book_filing.h"
#include "filing/scorer.h"
#include "views/inbox_files.h"
#include "views/quick_search_runner.h"

namespace tavelo::gui {

namespace {

std::atomic<int> g_settleMs{3000};
std::atomic<int> g_pollMs{5000};

// A file still changing after this long is said to be.
constexpr std::int64_t kKeepsChangingNs = std::int64_t{60} * 1000000000;
// Larger files are not read (they are listed as such).
constexpr std::int64_t kLargestBytes = std::int64_t{200} << 20;
// A look at the folders that has not come back after this long is said to.
constexpr std::int64_t kStalledNs = std::int64_t{10} * 1000000000;

const char* const kSettingsGroup = "Inbox";
const char* const kMovesKey = "Inbox/MoveIntoSubjectFolder";

const char* const kFiled = QT_TRANSLATE_NOOP("Tavelo", "« %1 » rangé sous %2");
const char* const kGone = QT_TRANSLATE_NOOP("Tavelo", "« %1 » n'est plus dans la boîte de réception : rien n'a été rangé.");
const char* const kAlreadyHeld = QT_TRANSLATE_NOOP("Tavelo", "« %1 » est déjà dans le livre : rien n'a été rangé.");
const char* const kNotFiled =
    QT_TRANSLATE_NOOP("Tavelo", "Le livre a changé entre-temps : « %1 » n'a pas été rangé.");
const char* const kSubjectGone = QT_TRANSLATE_NOOP("Tavelo", "Ce sujet n'est plus dans le livre : rien n'a été rangé.");
const char* const kStalled =
    QT_TRANSLATE_NOOP("Tavelo", "Les dossiers de la boîte de réception ne répondent pas : la liste sera mise à jour dès qu'ils répondront.");

std::int64_t NowNs()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QString SettingsKey(const CTenorelDoc& doc)
{
    if (doc.GetPathName().isEmpty())
        return {};
    QString resolved = QFileInfo(doc.GetPathName()).canonicalFilePath();
    if (resolved.isEmpty())
        resolved = QFileInfo(doc.GetPathName()).absoluteFilePath();
    return QLatin1String(kSettingsGroup) + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(resolved));
}

QString Q(const std::string& s)
{
    return ToQ(s);
}

std::string Resolved(const std::string& path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

} // namespace

struct Inbox::Copy {
    SubjectList subjects;
    std::vector<CTenorels*> records;
    // The subjects' own fields: a change of them makes the scorer again.
    std::uint64_t fingerprint = 0;
};

struct Inbox::Result {
    std::uint64_t generation = 0;
    std::vector<FolderState> folders;
    std::vector<InboxEntry> entries;
    QStringList lines;
    std::size_t pending = 0; // files still changing
};

Inbox* Inbox::For(CTenorelDoc* doc)
{
    if (!doc)
        return nullptr;
    if (auto* inbox = doc->findChild<Inbox*>(QString(), Qt::FindDirectChildrenOnly))
        return inbox;
    return new Inbox(doc);
}

Inbox::Inbox(CTenorelDoc* doc)
    : QObject(doc), m_doc(doc), m_watcher(new QFileSystemWatcher(this)), m_soon(new QTimer(this)),
      m_poll(new QTimer(this)), m_settle(new QTimer(this)), m_stalled(new QTimer(this))
{
    m_soon->setSingleShot(true);
    m_soon->setInterval(150);
    m_settle->setSingleShot(true);
    m_stalled->setInterval(1000);
    connect(m_soon, &QTimer::timeout, this, [this] { SendRequest(); });
    connect(m_poll, &QTimer::timeout, this, [this] { Refresh(); });
    connect(m_settle, &QTimer::timeout, this, [this] { Refresh(); });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Refresh(); });
    connect(m_stalled, &QTimer::timeout, this, [this] {
        if (m_answered >= m_generation) {
            m_stalled->stop();
            return;
        }
        if (NowNs() - m_askedAtNs >= kStalledNs && !m_lines.contains(Tx(kStalled))) {
            m_lines = m_folderLines;
            m_lines << Tx(kStalled);
            Q_EMIT changed();
        }
    });
    // A book saved under a new name keeps its inbox.
    connect(doc, &CTenorelDoc::saved, this, [this] {
        const QString key = SettingsKey(*m_doc);
        QSettings settings(QStringLiteral("Morv"), QStringLiteral("Tavelo"));
        if (!key.isEmpty() && !m_folders.isEmpty() && !settings.contains(key))
            settings.setValue(key, m_folders);
    });
    m_worker = std::thread([this] { Work(); });
    m_mover = std::thread([this] { MoveWork(); });
    LoadFolders();
}

Inbox::~Inbox()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
    // A move under way is finished (a file is never left half moved).
    m_mover.join();
}

void Inbox::SetSettleMilliseconds(int ms)
{
    g_settleMs = ms;
}

void Inbox::SetPollMilliseconds(int ms)
{
    g_pollMs = ms;
}

bool Inbox::MovesIntoSubjectFolder()
{
    return QSettings(QStringLiteral("Morv"), QStringLiteral("Tavelo")).value(QLatin1String(kMovesKey), false).toBool();
}

void Inbox::SetMovesIntoSubjectFolder(bool moves)
{
    QSettings(QStringLiteral("Morv"), QStringLiteral("Tavelo")).setValue(QLatin1String(kMovesKey), moves);
}

void Inbox::LoadFolders()
{
    const QString key = SettingsKey(*m_doc);
    m_folders = key.isEmpty() ? QStringList()
                              : QSettings(QStringLiteral("Morv"), QStringLiteral("Tavelo")).value(key).toStringList();
    m_waiting = !m_folders.isEmpty();
    if (!m_folders.isEmpty())
        SendRequest();
}

void Inbox::SetFolders(const QStringList& folders)
{
    QStringList kept;
    for (const QString& folder : folders) {
        const QString clean = QDir::cleanPath(folder);
        if (!clean.isEmpty() && !kept.contains(clean))
            kept << clean;
    }
    const QString key = SettingsKey(*m_doc);
    if (!key.isEmpty()) {
        QSettings settings(QStringLiteral("Morv"), QStringLiteral("Tavelo"));
        if (kept.isEmpty())
            settings.remove(key);
        else
            settings.setValue(key, kept);
    }
    m_folders = kept;
    m_entries.clear();
    m_lines.clear();
    m_folderLines.clear();
    m_waiting = !kept.isEmpty();
    if (kept.isEmpty()) {
        Watch({});
        m_settle->stop();
    } else {
        SendRequest();
    }
    Q_EMIT changed();
}

QStringList Inbox::Lines() const
{
    return m_lines;
}

bool Inbox::Holds(const CTenorels* record) const
{
    return record && m_doc->IndexOf(record) >= 0;
}

void Inbox::Refresh()
{
    if (m_folders.isEmpty() && m_filings.empty())
        return;
    if (!m_soon->isActive())
        m_soon->start();
}

std::shared_ptr<Inbox::Copy> Inbox::TakeCopy() const
{
    auto copy = std::make_shared<Copy>();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const std::size_t count = m_doc->GetSubjectCount();
    copy->subjects.reserve(count);
    copy->records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        CTenorels* record = m_doc->GetSubject(i);
        copy->subjects.push_back(std::make_unique<CTenorels>(*record));
        copy->records.push_back(record);
        for (const std::string* field : {&record->GetGeneralTitle(), &record->GetSubjectName(), &record->GetExpectedText()}) {
            hash.addData(QByteArrayView(field->data(), static_cast<qsizetype>(field->size())));
            hash.addData(QByteArrayView("\0", 1));
        }
        hash.addData(QByteArrayView(record->GetState() == CTenorels::kClosed ? "c" : "o", 1));
    }
    const QByteArray digest = hash.result();
    for (int i = 0; i < 8; ++i)
        copy->fingerprint = copy->fingerprint << 8 | static_cast<unsigned char>(digest[i]);
    return copy;
}

void Inbox::SendRequest()
{
    // Without folders, a filing is still read into the cache for the search.
    if (m_folders.isEmpty() && m_filings.empty())
        return;
    auto request = std::make_unique<Request>();
    request->copy = TakeCopy();
    for (const QString& folder : m_folders)
        request->folders.push_back(folder.toStdString());
    request->filings = std::move(m_filings);
    m_filings.clear();
    std::size_t documents = 0;
    for (const auto& subject : request->copy->subjects)
        documents += subject->GetDocumentPaths().size();
    request->rebuild = documents != m_expectedDocuments;
    m_expectedDocuments = documents;
    if (m_answered >= m_generation)
        m_askedAtNs = NowNs();
    request->generation = ++m_generation;
    {
        const std::lock_guard lock(m_mutex);
        // A request not taken yet is replaced; its filings still count.
        if (m_pending) {
            request->filings.insert(request->filings.begin(), m_pending->filings.begin(), m_pending->filings.end());
            request->rebuild = request->rebuild || m_pending->rebuild;
        }
        m_pending = std::move(request);
    }
    m_wake.notify_all();
    if (!m_stalled->isActive())
        m_stalled->start();
}

void Inbox::Apply(std::shared_ptr<Result> result)
{
    m_answered = std::max(m_answered, result->generation);
    m_waiting = false;
    // A look made before a filing still lists the file: it is left out.
    std::unordered_set<QString> filed;
    for (const auto& [path, generation] : m_filed)
        if (generation > result->generation)
            filed.insert(path);
    m_filed.erase(std::remove_if(m_filed.begin(), m_filed.end(),
                                 [&](const auto& f) { return f.second <= result->generation; }),
                  m_filed.end());
    m_entries.clear();
    for (InboxEntry& entry : result->entries)
        if (filed.count(entry.path) == 0)
            m_entries.push_back(std::move(entry));
    m_folderLines = result->lines;
    m_lines = m_folderLines;
    Watch(result->folders);
    if (result->pending > 0)
        m_settle->start(std::max(200, g_settleMs.load() / 2));
    Q_EMIT changed();
}

void Inbox::Watch(const std::vector<FolderState>& folders)
{
    bool poll = false;
    bool added = false;
    QStringList wanted;
    for (const FolderState& folder : folders) {
        const QString path = Q(folder.path);
        if (folder.readable && !folder.network) {
            wanted << path;
            if (!m_watcher->directories().contains(path)) {
                if (m_watcher->addPath(path))
                    added = true;
                else
                    poll = true;
            }
        } else {
            // A missing folder is looked for again; a network one is never
            // told about.
            poll = true;
        }
    }
    for (const QString& watched : m_watcher->directories())
        if (!wanted.contains(watched))
            m_watcher->removePath(watched);
    if (poll && !folders.empty()) {
        if (!m_poll->isActive() || m_poll->interval() != g_pollMs)
            m_poll->start(g_pollMs);
    } else {
        m_poll->stop();
    }
    // What arrived between the look and the watch is seen by one more look.
    if (added)
        Refresh();
}

bool Inbox::File(const QString& path, CTenorels* subject, QWidget* parent)
{
    if (m_doc->RefuseReadOnlyEdit())
        return false;
    if (!Holds(subject)) {
        MessageBox::Show(parent, Tx(kSubjectGone), MessageBox::Exclamation);
        return false;
    }
    const std::string from = path.toStdString();
    if (m_moving.count(path) != 0)
        return false;
    // The look on the worker left out the paths the book holds once
    // resolved; here only the paths as written are compared, so that the
    // window's thread never resolves the whole book.
    const bool held = std::any_of(m_doc->Subjects().begin(), m_doc->Subjects().end(),
                                  [&](const auto& s) { return s->HasDocumentPath(from); });
    if (held) {
        MessageBox::Show(parent, Tx(kAlreadyHeld).arg(QFileInfo(path).fileName()), MessageBox::Exclamation);
        return false;
    }
    // The file is looked at, and moved when asked, off the window's thread;
    // the subject takes it once that is done.
    const std::string folder = MovesIntoSubjectFolder() ? SubjectFolder(*subject) : std::string();
    m_moving.insert(path);
    m_filed.emplace_back(path, std::numeric_limits<std::uint64_t>::max());
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [&](const InboxEntry& e) { return e.path == path; }),
                    m_entries.end());
    Q_EMIT changed();
    const QPointer<QWidget> messageParent(parent);
    PostMove([this, path, from, folder, subject, messageParent] {
        std::string to = from;
        std::string message;
        if (LookAt(from).size < 0) {
            message = Tx(kGone).arg(QFileInfo(path).fileName()).toStdString();
        } else if (!folder.empty() && Resolved(folder) != Resolved(from.substr(0, from.find_last_of('/')))) {
            const MoveOutcome moved = MoveIntoFolder(from, folder);
            if (moved.moved)
                to = moved.path;
            else
                message = moved.message;
        }
        QMetaObject::invokeMethod(this, [this, path, to, message, subject, messageParent] {
            Complete(path, Q(to), Q(message), subject, messageParent);
        }, Qt::QueuedConnection);
    });
    return true;
}

void Inbox::Complete(const QString& path, const QString& to, const QString& message, CTenorels* subject,
                     QWidget* parent)
{
    m_moving.erase(path);
    const auto unfiled = [&] {
        m_filed.erase(std::remove_if(m_filed.begin(), m_filed.end(), [&](const auto& f) { return f.first == path; }),
                      m_filed.end());
    };
    if (!message.isEmpty()) {
        unfiled();
        MessageBox::Show(parent, message, MessageBox::Exclamation);
        Refresh();
        return;
    }
    // The book changed meanwhile: the file stays where it now is.
    if (!Holds(subject) || m_doc->IsReadOnly()) {
        unfiled();
        MessageBox::Show(parent, Tx(kNotFiled).arg(to), MessageBox::Exclamation);
        Refresh();
        return;
    }
    subject->AddDocumentPath(to.toStdString());
    if (m_doc->GetCurrentSubject() == subject)
        m_doc->RefreshDocumentList();
    m_doc->SetModifiedFlag(true);

    m_filings.push_back({static_cast<std::size_t>(m_doc->IndexOf(subject)), path.toStdString(), to.toStdString()});
    ++m_expectedDocuments;
    for (auto& [filed, generation] : m_filed)
        if (filed == path)
            generation = m_generation + 1;
    CommandHost::Tell(Tx(kFiled).arg(QFileInfo(to).fileName(),
                                     Q(filing::SubjectLabel({subject->GetGeneralTitle(), subject->GetSubjectName(), {}, false}))));
    Q_EMIT changed();
    Refresh();
}

void Inbox::PostMove(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_moves.push_back(std::move(task));
    }
    m_wake.notify_all();
}

void Inbox::MoveWork()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_moves.empty(); });
            if (m_moves.empty())
                return;
            task = std::move(m_moves.front());
            m_moves.pop_front();
        }
        task();
    }
}

void Inbox::Filed(CTenorels* subject, const QString& path)
{
    if (!Holds(subject))
        return;
    m_filings.push_back({static_cast<std::size_t>(m_doc->IndexOf(subject)), path.toStdString(), path.toStdString()});
    ++m_expectedDocuments;
    Refresh();
}

void Inbox::Work()
{
    struct Known {
        FileLook look;
        std::int64_t firstSeenNs = 0;
        bool read = false;
        bool readable = true;
        QString problem;
        filing::TextProfile profile;
        std::uint64_t version = 0; // the scorer's, for `suggestions`
        filing::Suggestions suggestions;
    };
    std::unique_ptr<filing::Scorer> scorer;
    std::uint64_t fingerprint = 0;
    std::uint64_t version = 0;
    std::map<std::string, Known> known;
    TextSource& source = QuickSearchRunner::Source();
    // The book's documents by file name, and every path they are held
    // under (as written and resolved), for the copy they were taken from:
    // worked out once per copy, not at every look.
    std::shared_ptr<Copy> named;
    std::unordered_map<std::string, std::size_t> names;
    std::unordered_set<std::string> held;
    const SubjectList none;

    for (;;) {
        std::unique_ptr<Request> request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_pending; });
            if (m_stop)
                return;
            request = std::move(m_pending);
        }
        auto result = std::make_shared<Result>();
        result->generation = request->generation;
        const Copy& copy = *request->copy;

        // The filed documents' texts are read first (a moved file's path is
        // new to the cache), so that they count whichever way.
        std::vector<std::string> unread;
        for (const Filing& filing : request->filings) {
            const auto it = known.find(filing.from);
            if (filing.from != filing.to || it == known.end() || !it->second.read)
                unread.push_back(filing.to);
        }
        std::map<std::string, filing::TextProfile> readNow;
        if (!unread.empty()) {
            const std::vector<filing::FileText> texts = filing::ReadFileTexts(source, unread);
            for (std::size_t i = 0; i < unread.size(); ++i)
                if (texts[i].read)
                    readNow[unread[i]] = filing::ProfileText(texts[i].text);
        }
        if (!scorer || copy.fingerprint != fingerprint || request->rebuild) {
            scorer = std::make_unique<filing::Scorer>(filing::ScorerForBook(copy.subjects, source, false));
            fingerprint = copy.fingerprint;
            ++version;
        } else {
            for (const Filing& filing : request->filings) {
                if (filing.subject >= scorer->SubjectCount())
                    continue;
                if (const auto it = readNow.find(filing.to); it != readNow.end())
                    scorer->AddDocument(filing.subject, it->second);
                else if (const auto k = known.find(filing.from); k != known.end() && k->second.read)
                    scorer->AddDocument(filing.subject, k->second.profile);
                ++version;
            }
        }
        for (const Filing& filing : request->filings)
            known.erase(filing.from);

        if (named != request->copy) {
            named = request->copy;
            names.clear();
            held.clear();
            for (std::size_t i = 0; i < copy.subjects.size(); ++i)
                for (const std::string& path : copy.subjects[i]->GetDocumentPaths()) {
                    names[GetDocumentFileName(path)] = i;
                    held.insert(path);
                    if (std::string resolved = Resolved(path); !resolved.empty())
                        held.insert(std::move(resolved));
                }
        }
        const std::int64_t now = NowNs();
        const std::int64_t settle = std::int64_t{g_settleMs.load()} * 1000000;
        std::unordered_set<std::string> seen;
        std::vector<std::pair<std::string, std::int64_t>> settled;
        for (const std::string& folder : request->folders) {
            FolderState state;
            state.path = folder;
            std::string reason;
            const std::optional<std::vector<filing::InboxFile>> files = filing::ListNewFiles(folder, none, reason);
            if (!files) {
                result->lines << Q(reason);
                result->folders.push_back(state);
                continue;
            }
            state.readable = true;
            state.network = IsNetworkFolder(folder);
            result->folders.push_back(state);
            for (const filing::InboxFile& file : *files) {
                if (held.count(file.path) != 0)
                    continue;
                if (std::string resolved = Resolved(file.path); !resolved.empty() && held.count(resolved) != 0)
                    continue;
                const FileLook look = LookAt(file.path);
                if (look.size < 0)
                    continue;
                seen.insert(file.path);
                Known& k = known[file.path];
                if (!SameLook(k.look, look)) {
                    k = Known{};
                    k.look = look;
                    k.firstSeenNs = now;
                }
                if (!HasSettled(look, k.firstSeenNs, now, settle)) {
                    ++result->pending;
                    if (now - k.firstSeenNs >= kKeepsChangingNs)
                        result->lines << Tx(QT_TRANSLATE_NOOP("Tavelo", "« %1 » change encore : il sera listé dès qu'il ne changera plus."))
                                             .arg(Q(GetDocumentFileName(file.path)));
                    continue;
                }
                settled.emplace_back(file.path, file.modifiedNs);
            }
        }
        for (auto it = known.begin(); it != known.end();)
            it = seen.count(it->first) ? std::next(it) : known.erase(it);

        std::vector<std::string> toRead;
        for (const auto& [path, modified] : settled) {
            Known& k = known[path];
            if (k.read)
                continue;
            if (k.look.size == 0) {
                k.read = true;
                k.readable = false;
                k.problem = Tx(QT_TRANSLATE_NOOP("Tavelo", "le fichier est vide"));
            } else if (k.look.size > kLargestBytes) {
                k.read = true;
                k.readable = false;
                k.problem = Tx(QT_TRANSLATE_NOOP("Tavelo", "le fichier est trop volumineux pour être lu (%1 Mo)"))
                                .arg(k.look.size >> 20);
            } else {
                toRead.push_back(path);
            }
        }
        if (!toRead.empty()) {
            std::vector<filing::FileText> texts = filing::ReadFileTexts(source, toRead);
            for (std::size_t i = 0; i < toRead.size(); ++i) {
                Known& k = known[toRead[i]];
                // Changed while it was read: it waits again.
                if (!SameLook(k.look, LookAt(toRead[i]))) {
                    k = Known{};
                    k.firstSeenNs = now;
                    ++result->pending;
                    continue;
                }
                k.read = true;
                k.readable = texts[i].read;
                k.problem = Q(texts[i].reason);
                if (k.readable)
                    k.profile = filing::ProfileText(texts[i].text);
            }
        }

        std::sort(settled.begin(), settled.end(), [](const auto& a, const auto& b) {
            return a.second != b.second ? a.second > b.second : a.first < b.first;
        });
        for (const auto& [path, modified] : settled) {
            Known& k = known[path];
            if (!k.read)
                continue;
            InboxEntry entry;
            entry.path = Q(path);
            entry.modifiedNs = modified;
            entry.readable = k.readable;
            entry.problem = k.problem;
            if (const auto same = names.find(GetDocumentFileName(path)); same != names.end())
                entry.note = Tx(QT_TRANSLATE_NOOP("Tavelo", "Un document du même nom est déjà sous %1."))
                                 .arg(Q(filing::SubjectLabel({copy.subjects[same->second]->GetGeneralTitle(),
                                                              copy.subjects[same->second]->GetSubjectName(), {}, false})));
            if (k.readable) {
                if (k.version != version) {
                    k.suggestions = scorer->Suggest(k.profile, 3);
                    k.version = version;
                }
                entry.newSubject = k.suggestions.newSubject;
                for (const filing::Suggestion& s : k.suggestions.best) {
                    if (s.subject >= copy.records.size())
                        continue;
                    const CTenorels& subject = *copy.subjects[s.subject];
                    entry.suggestions.push_back({copy.records[s.subject], Q(subject.GetGeneralTitle()),
                                                 Q(subject.GetSubjectName()), Q(filing::SubjectLabel(scorer->Fields(s.subject))),
                                                 s.score, Q(s.reason)});
                }
            }
            result->entries.push_back(std::move(entry));
        }
        QMetaObject::invokeMethod(this, [this, result] { Apply(result); }, Qt::QueuedConnection);
    }
}

} // namespace tavelo::gui
