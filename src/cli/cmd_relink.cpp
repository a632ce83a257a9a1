// tavelo-cli relink: the missing documents of a book looked for in a folder,
// and re-pointed where one file is clearly the document.

#include <sys/stat.h>

#include <iostream>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "book/tenorels.h"
#include "cli/commands.h"
#include "cli/manual.h"
#include "editing/document_check.h"
#include "editing/relink.h"
#include "editing/relink_cache.h"
#include "reading/text_cache.h"

namespace tavelo::cli {
namespace {

// Tabs and line breaks would break the line's fields: control characters are
// written as \xHH.
std::string Field(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            static const char* const kHex = "0123456789ABCDEF";
            out += "\\x";
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void TellUnsettled(const RelinkScan& scan, std::ostream& err)
{
    for (const RelinkProposal& p : scan.proposals) {
        if (p.chosen >= 0)
            continue;
        err << Format(Tr("tavelo-cli", "« %1 » n'est pas re-pointé ; fichiers possibles :"), {Field(p.document.path)}) << '\n';
        for (const RelinkCandidate& c : p.candidates)
            err << "  " << Field(c.path) << '\n';
    }
    for (const MissingDocument& m : scan.notFound)
        err << Format(Tr("tavelo-cli", "« %1 » n'a pas été retrouvé."), {Field(m.path)}) << '\n';
    for (const std::string& folder : scan.scan.unreadableFolders)
        err << Format(Tr("tavelo-cli", "Le dossier « %1 » n'a pas pu être lu."), {Field(folder)}) << '\n';
}

} // namespace

int RunRelink(const Args& args, Streams io)
{
    bool dryRun = false;
    bool takeOver = false;
    std::vector<std::string> positional;
    for (const auto& a : args) {
        if (a == "--dry-run")
            dryRun = true;
        else if (a == "--take-over")
            takeOver = true;
        else
            positional.push_back(a);
    }
    if (positional.size() != 2) {
        io.err << CommandUsage("relink");
        return 1;
    }
    const std::string& bookPath = positional[0];
    const std::string& folder = positional[1];
    if (!IsFolder(folder)) {
        io.err << Format(Tr("tavelo-cli", "Le dossier « %1 » n'existe pas ou n'est pas un dossier."), {folder}) << '\n';
        return 1;
    }
    try {
        // The book is taken as an instance of Tavelo would take it: one that
        // another instance holds is only read.
        bool readOnly = true;
        HeldFileStatus status;
        std::unique_ptr<HeldFile> held = OpenHeldFile(bookPath, readOnly, false, &status, DefaultFileSystem(),
                                                      takeOver && !dryRun ? TakeOver::kSilentHolder : TakeOver::kNever);
        if (!held) {
            io.err << status.reason << '\n';
            return 1;
        }
        if (readOnly && !dryRun) {
            io.err << Format(Tr("tavelo-cli", "Le livre « %1 » ne peut pas être modifié : %2"), {bookPath, held->DescribeReadOnly()})
                   << '\n';
            if (held->OtherVerdict().state == HolderState::kSilent)
                io.err << Tr("tavelo-cli", "Son détenteur ne donne plus signe de vie : --take-over permet de reprendre le livre.") << '\n';
            return 1;
        }
        SubjectBook book;
        book.Deserialize(held->Load().View(), [&](std::string_view message) { io.err << message << '\n'; });

        // Renamed documents are recognised by the bytes the search's cache
        // saw when it last read them.
        const std::shared_ptr<TextCache> cache = TextCache::Open();
        const RelinkScan scan = FindMovedDocuments(FindMissingDocuments(book), folder, CacheRelinkSources(cache));
        if (const std::string warning = cache->TakeWarning(); !warning.empty())
            io.err << warning << '\n';
        const std::vector<Relink> relinks = ChosenRelinks(scan.proposals);
        for (const Relink& r : relinks) {
            io.out << Field(r.subject->GetGeneralTitle()) << '\t' << Field(r.subject->GetSubjectName()) << '\t'
                   << Field(r.oldPath) << '\t' << Field(r.newPath) << '\n';
        }
        io.out.flush();
        TellUnsettled(scan, io.err);
        if (!dryRun && ApplyRelinks(book, relinks) > 0)
            held->Save([&book](const ByteSink& sink) { book.Serialize(sink); });
        if (!io.out) {
            io.err << Tr("tavelo-cli", "Impossible d'écrire sur la sortie standard.") << '\n';
            return 1;
        }
        return relinks.size() == scan.proposals.size() && scan.notFound.empty() ? 0 : 1;
    } catch (const FileError& e) {
        io.err << e.what() << '\n';
    } catch (const BookFormatError& e) {
        io.err << Format(Tr("tavelo-cli", "Impossible de lire le livre « %1 » : %2"), {bookPath, e.what()}) << '\n';
    }
    return 1;
}

} // namespace tavelo::cli
