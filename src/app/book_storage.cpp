#include "app/book_storage.h"
#include "app/long_operation.h"

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace tavelo::gui {

namespace {
BookStorage::Factory& CurrentFactory()
{
    static BookStorage::Factory factory;
    return factory;
}

NotifierOptions& CurrentNotifierOptions()
{
    static NotifierOptions options;
    return options;
}

// Waits are numbered on the window thread; only the current one may still
// deliver its news. Both are touched on the window thread only.
unsigned g_lastWait = 0;
unsigned g_currentWait = 0;

// On the window thread: the news of a free book, for the book that waited if
// it is still there and still waiting. While a modal window is up or a nested
// event loop runs, the user or a command may be working on that very book,
// whose records the reopening replaces, and so may a long operation that
// repaints its progress window: the news waits until they are done.
void Deliver(const QPointer<QObject>& context, unsigned wait, const std::function<void()>& onFree)
{
    if (!context || wait != g_currentWait)
        return;
    if (QApplication::activeModalWidget() || QThread::currentThread()->loopLevel() > 1 || LongOperation::IsRunning()) {
        QTimer::singleShot(250, QCoreApplication::instance(),
                           [context, wait, onFree] { Deliver(context, wait, onFree); });
        return;
    }
    BookStorage::StopWaiting();
    onFree();
}
} // namespace

BookStorage::BookStorage(FileSystemOps& fs) : m_fs(&fs)
{
    // The window keeps the versions it loads and saves, the common bases of
    // the conflict copies that sync clients leave.
    HeldFile::SetRememberVersions(true);
}

BookStorage::~BookStorage()
{
    Close();
}

std::unique_ptr<HeldFile> BookStorage::OpenFile(const std::string& path, bool& readOnly, HeldFileStatus& status,
                                                TakeOver takeOver)
{
    return OpenHeldFile(path, readOnly, /*forSave*/ false, &status, *m_fs, takeOver);
}

void BookStorage::Hold(std::unique_ptr<HeldFile> file)
{
    ReleaseHeldFile(m_held);
    m_held = std::move(file);
    m_readOnly = m_held && m_held->IsReadOnly();
    KeepHeldFileAlive();
}

namespace {
std::chrono::milliseconds g_aliveInterval = kAliveInterval;
}

void BookStorage::SetAliveInterval(std::chrono::milliseconds interval)
{
    g_aliveInterval = interval;
}

void BookStorage::KeepHeldFileAlive()
{
    // Other mounts of the share and sync folders see the holder only by its
    // signs of life in the lock file.
    if (m_held && !m_readOnly)
        m_held->StartHeartbeat(g_aliveInterval);
}

SaveResult BookStorage::Save(const std::string& path, const BookBytesProducer& produce)
{
    SaveResult result = SaveHeldFile(m_held, m_readOnly, path, produce, *m_fs);
    if (result.outcome == SaveOutcome::kSaved)
        KeepHeldFileAlive();
    // A reader that saved under another name holds that file now: the book it
    // waited for is no longer its file.
    if (result.outcome == SaveOutcome::kSaved && !m_readOnly && IsWaiting())
        StopWaiting();
    return result;
}

void BookStorage::Close()
{
    if (IsWaiting())
        StopWaiting();
    m_wait = 0;
    ReleaseHeldFile(m_held);
    m_readOnly = false;
}

bool BookStorage::IsWaiting() const
{
    return m_wait != 0 && m_wait == g_currentWait;
}

void BookStorage::StartWaiting(QObject* context, std::function<void()> onFree)
{
    if (!m_held)
        return;
    const unsigned wait = ++g_lastWait;
    QPointer<QObject> guard(context);
    QCoreApplication* application = QCoreApplication::instance();
    // The callback runs on the notifier's thread: it only posts the news to the
    // window thread, where the book, if still there and still waiting, acts.
    auto deliver = [guard, application, wait, onFree = std::move(onFree)](const std::string&) {
        if (!application)
            return;
        QMetaObject::invokeMethod(
            application,
            [guard, wait, onFree] { Deliver(guard, wait, onFree); },
            Qt::QueuedConnection);
    };
    g_currentWait = wait;
    m_wait = wait;
    StartNotifier(m_held->GetFilePath(), std::move(deliver), CurrentNotifierOptions());
}

void BookStorage::StopWaiting()
{
    g_currentWait = 0;
    ClearNotifierThread();
}

void BookStorage::SetNotifierOptions(NotifierOptions options)
{
    CurrentNotifierOptions() = std::move(options);
}

std::unique_ptr<BookStorage> BookStorage::Make()
{
    if (CurrentFactory())
        return CurrentFactory()();
    return std::make_unique<BookStorage>();
}

void BookStorage::SetFactory(Factory factory)
{
    CurrentFactory() = std::move(factory);
}

} // namespace tavelo::gui
