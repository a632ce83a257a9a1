#pragma once
// The one place where a book window's book touches its file: open, save, close.
// This version reads and replaces the whole file; the reservation between
// program instances (held file, read-only opening, notification) plugs in here.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tavelo::gui {

class BookStorage {
public:
    struct Opened {
        std::string bytes;
        // Another holder has the book: it is open for reading only.
        bool readOnly = false;
    };

    BookStorage() = default;
    BookStorage(const BookStorage&) = delete;
    BookStorage& operator=(const BookStorage&) = delete;
    virtual ~BookStorage() = default;

    // Reads the book at `path` and holds it. Throws tavelo::FileError.
    virtual Opened Open(const std::string& path);
    // Writes the whole book at `path`, which becomes the held path; a book held
    // read-only becomes read-write on a new path. Throws tavelo::FileError.
    virtual void Save(const std::string& path, std::string_view bytes);
    // Gives the book up.
    virtual void Close();

    const std::string& HeldPath() const { return m_heldPath; }
    bool IsReadOnly() const { return m_readOnly; }

    // Makes the storage of each new book; tests put their own in.
    using Factory = std::function<std::unique_ptr<BookStorage>()>;
    static std::unique_ptr<BookStorage> Make();
    static void SetFactory(Factory factory);

protected:
    std::string m_heldPath;
    bool m_readOnly = false;
};

} // namespace tavelo::gui
