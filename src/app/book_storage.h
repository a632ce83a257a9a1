#pragma once
// The one place where a book window's book touches its file: the held file of
// the reservation between program instances (open, load, save, close) and the
// process's notifier that waits for a book held elsewhere to become free.
// Nothing here shows anything; the book tells the user.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "book/held_file.h"
#include "book/notifier.h"

class QObject;

namespace tavelo::gui {

class BookStorage {
public:
    explicit BookStorage(FileSystemOps& fs = DefaultFileSystem());
    BookStorage(const BookStorage&) = delete;
    BookStorage& operator=(const BookStorage&) = delete;
    virtual ~BookStorage();

    // Opens `path` for this instance without holding it yet: the file held
    // read-write, or read only (`readOnly` set, the reason in the file), or
    // none with the reason in `status`.
    // `takeOver`: the user agreed to take the book from a silent holder.
    virtual std::unique_ptr<HeldFile> OpenFile(const std::string& path, bool& readOnly, HeldFileStatus& status,
                                               TakeOver takeOver = TakeOver::kNever);
    // Gives up the file held until now and holds `file`.
    void Hold(std::unique_ptr<HeldFile> file);
    // Saves the book to `path` (see SaveHeldFile): the held file when it is
    // that path, otherwise `path` becomes the held file once written.
    virtual SaveResult Save(const std::string& path, const BookBytesProducer& produce);
    // Stops this book's wait and gives the held file up.
    void Close();

    const HeldFile* Held() const { return m_held.get(); }
    // Another instance took the book over: this one may no longer save it.
    void MarkTakenOver() { m_readOnly = true; }
    // After a merge with the version on disk (see HeldFile::AdoptVersion).
    void AdoptVersion(const BookVersion& version, std::string bytes)
    {
        if (m_held)
            m_held->AdoptVersion(version, std::move(bytes));
    }
    std::string HeldPath() const { return m_held ? m_held->GetFilePath() : std::string(); }
    bool IsReadOnly() const { return m_readOnly; }
    bool IsWaiting() const;

    // Starts the process's notifier on the held file. `onFree` runs once, on
    // the thread of `context`'s application, when the file has become free,
    // unless the wait ended first (StopWaiting, or `context` destroyed).
    void StartWaiting(QObject* context, std::function<void()> onFree);
    // Ends the process's wait, whichever book it was for: the notifier stops and
    // an availability already on its way to the window thread is dropped.
    static void StopWaiting();

    // The notifier's settings for the waits started from now on (tests shorten
    // the period).
    static void SetNotifierOptions(NotifierOptions options);
    // The period of a holder's signs of life from now on (tests shorten it).
    static void SetAliveInterval(std::chrono::milliseconds interval);

    // Makes the storage of each new book; tests put their own in.
    using Factory = std::function<std::unique_ptr<BookStorage>()>;
    static std::unique_ptr<BookStorage> Make();
    static void SetFactory(Factory factory);

private:
    void KeepHeldFileAlive();

    FileSystemOps* m_fs;
    std::unique_ptr<HeldFile> m_held;
    bool m_readOnly = false;
    unsigned m_wait = 0; // the wait this book started, 0 for none
};

} // namespace tavelo::gui
