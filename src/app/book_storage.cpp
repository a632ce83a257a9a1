#include "app/book_storage.h"

#include "book/file_io.h"

namespace tavelo::gui {

namespace {
BookStorage::Factory& CurrentFactory()
{
    static BookStorage::Factory factory;
    return factory;
}
} // namespace

BookStorage::Opened BookStorage::Open(const std::string& path)
{
    Opened opened;
    opened.bytes = ReadWholeFile(path);
    m_heldPath = path;
    m_readOnly = false;
    return opened;
}

void BookStorage::Save(const std::string& path, std::string_view bytes)
{
    WriteNewFile(path, bytes, /*replace*/ true);
    m_heldPath = path;
    m_readOnly = false;
}

void BookStorage::Close()
{
    m_heldPath.clear();
    m_readOnly = false;
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
