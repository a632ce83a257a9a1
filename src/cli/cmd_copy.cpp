// tavelo-cli export and check.

#include <cstdio>
#include <iostream>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "cli/commands.h"
#include "cli/manual.h"
#include "cli/output_field.h"
#include "reading/text_source.h"
#include "editing/copy_observer.h"
#include "editing/document_check.h"
#include "editing/export.h"
#include "editing/repoint.h"

namespace tavelo::cli {
namespace {

// The export's message boxes, one per line on the error stream. There is no
// one to answer a question: the answer is no.
class StreamObserver final : public CopyObserver {
public:
    explicit StreamObserver(std::ostream& err) : m_err(err) {}
    void Message(const std::string& text, MessageLook) override { m_err << text << '\n'; }
    bool AskYesNo(const std::string& text) override
    {
        m_err << text << '\n';
        return false;
    }

private:
    std::ostream& m_err;
};

bool LoadBook(const std::string& path, SubjectBook& book, std::ostream& err)
{
    try {
        book.Deserialize(ReadBookAsReader(path).View(), [&](std::string_view message) { err << message << '\n'; });
        return true;
    } catch (const FileError& e) {
        err << e.what() << '\n';
    } catch (const BookFormatError& e) {
        err << Format(Tr("tavelo-cli", "Impossible de lire le livre « %1 » : %2"), {path, e.what()}) << '\n';
    }
    return false;
}

} // namespace

// Tabs and line breaks would break the line's fields: control characters are
// written as \xHH.
std::string EscapeField(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::optional<SubjectList> ReadBookSubjects(const std::string& path, std::ostream& err)
{
    try {
        return ReadSubjectList(ReadBookAsReader(path).View());
    } catch (const FileError& e) {
        err << e.what() << '\n';
    } catch (const BookFormatError& e) {
        err << Format(Tr("tavelo-cli", "Impossible de lire le livre « %1 » : %2"), {path, e.what()}) << '\n';
    }
    return std::nullopt;
}

int RunExport(const Args& args, Streams io)
{
    if (args.size() != 2) {
        io.err << CommandUsage("export");
        return 1;
    }
    const std::string& bookPath = args[0];
    if (args[1].empty()) {
        io.err << Tr("tavelo-cli", "Le dossier où exporter le livre n'est pas indiqué (le nom de dossier est vide).") << '\n';
        return 1;
    }
    SubjectBook book;
    if (!LoadBook(bookPath, book, io.err))
        return 1;
    StreamObserver observer(io.err);
    const ExportResult result = ExportBook(book, BookTitleFromPath(bookPath), args[1], observer);
    return result.AllCopied() ? 0 : 1;
}

int RunCheck(const Args& args, Streams io)
{
    if (args.size() != 1) {
        io.err << CommandUsage("check");
        return 1;
    }
    SubjectBook book;
    if (!LoadBook(args[0], book, io.err))
        return 1;
    const auto missing = FindMissingDocuments(book);
    for (const auto& m : missing) {
        io.out << EscapeField(m.subject->GetGeneralTitle()) << '\t' << EscapeField(m.subject->GetSubjectName()) << '\t'
               << EscapeField(m.path) << '\n';
    }
    io.out.flush();
    if (!io.out) {
        io.err << Tr("tavelo-cli", "Impossible d'écrire sur la sortie standard.") << '\n';
        return 1;
    }
    return missing.empty() ? 0 : 1;
}

void WriteReadingNotices(TextSource& source, std::ostream& err)
{
    if (const std::string warning = source.Cache().TakeWarning(); !warning.empty())
        err << warning << '\n';
    if (const std::string notice = source.TakeReaderNotice(); !notice.empty())
        err << notice << '\n';
}

} // namespace tavelo::cli
