// tavelo-cli conflicts and merge-copy: the copies that sync clients leave
// beside a book, and their merge into it.

#include <iostream>
#include <sys/stat.h>

#include "base/tr.h"
#include "book/conflict_copies.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "book/version_merge.h"
#include "cli/commands.h"
#include "cli/manual.h"
#include "cli/output_field.h"

namespace tavelo::cli {

namespace {

std::string SideWord(MergeSide side)
{
    switch (side) {
    case MergeSide::kMine:
        return Tr("tavelo-cli", "livre");
    case MergeSide::kTheirs:
        return Tr("tavelo-cli", "copie");
    case MergeSide::kBoth:
        return Tr("tavelo-cli", "les deux");
    }
    return {};
}

std::string ChangeWord(MergeChange change)
{
    switch (change) {
    case MergeChange::kAdded:
        return Tr("tavelo-cli", "ajouté");
    case MergeChange::kChanged:
        return Tr("tavelo-cli", "modifié");
    case MergeChange::kRemoved:
        return Tr("tavelo-cli", "supprimé");
    case MergeChange::kUnited:
        return Tr("tavelo-cli", "réuni");
    case MergeChange::kKeptOverRemoval:
        return Tr("tavelo-cli", "gardé");
    }
    return {};
}

SubjectList ReadBookOrThrow(std::string_view bytes, const std::string& path)
{
    try {
        return ReadSubjectList(bytes);
    } catch (const BookFormatError& e) {
        throw FileError(Format(Tr("tavelo-cli", "Le fichier « %1 » n'est pas un livre lisible : %2"), {path, e.what()}), EINVAL);
    }
}

} // namespace

int RunConflicts(const Args& args, Streams io)
{
    if (args.size() != 1) {
        io.err << CommandUsage("conflicts");
        return 1;
    }
    struct stat st {};
    if (::stat(args[0].c_str(), &st) != 0) {
        io.err << Format(Tr("Book", "Impossible d'ouvrir le fichier « %1 » : %2."), {args[0], DescribeError(errno)}) << '\n';
        return 1;
    }
    for (const ConflictCopy& copy : FindConflictCopies(args[0])) {
        io.out << EscapeField(copy.path) << '\t' << copy.client << '\t'
               << (copy.readable ? Tr("tavelo-cli", "lisible") : Format(Tr("tavelo-cli", "illisible : %1"), {copy.problem}))
               << '\n';
    }
    io.out.flush();
    if (!io.out) {
        io.err << Tr("tavelo-cli", "Impossible d'écrire sur la sortie standard.") << '\n';
        return 1;
    }
    return 0;
}

int RunMergeCopy(const Args& args, Streams io)
{
    bool dryRun = false;
    std::string basePath;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--dry-run") {
            dryRun = true;
        } else if (args[i] == "--base" && i + 1 < args.size()) {
            basePath = args[++i];
        } else if (args[i].rfind("--base=", 0) == 0) {
            basePath = args[i].substr(7);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        io.err << CommandUsage("merge-copy");
        return 1;
    }
    const std::string& bookPath = positional[0];
    const std::string& copyPath = positional[1];
    try {
        bool readOnly = true;
        HeldFileStatus status;
        std::unique_ptr<HeldFile> held = OpenHeldFile(bookPath, readOnly, false, &status);
        if (!held) {
            io.err << status.reason << '\n';
            return 1;
        }
        if (readOnly && !dryRun) {
            io.err << Format(Tr("tavelo-cli", "Le livre « %1 » ne peut pas être modifié : %2"), {bookPath, held->DescribeReadOnly()})
                   << '\n';
            return 1;
        }
        const FileBytes bookBytes = held->Load();
        const FileBytes copyBytes = ReadBookAsReader(copyPath);
        const SubjectList mine = ReadBookOrThrow(bookBytes.View(), bookPath);
        const SubjectList theirs = ReadBookOrThrow(copyBytes.View(), copyPath);
        SubjectList base;
        bool hasBase = false;
        if (!basePath.empty()) {
            base = ReadBookOrThrow(ReadFileBytes(basePath).View(), basePath);
            hasBase = true;
        } else if (std::string baseBytes; FindCommonBase(bookPath, bookBytes.View(), copyBytes.View(), baseBytes)) {
            try {
                base = ReadSubjectList(baseBytes);
                hasBase = true;
            } catch (const BookFormatError&) {
            }
        }
        io.err << (hasBase ? Tr("tavelo-cli", "Fusion à trois (la version commune est connue).")
                           : Tr("tavelo-cli", "Fusion à deux (aucune version commune connue) : rien n'est supprimé."))
               << '\n';
        const MergeResult merge = MergeVersions(hasBase ? &base : nullptr, mine, theirs);
        for (const MergeEntry& e : merge.entries)
            io.out << SideWord(e.side) << '\t' << ChangeWord(e.change) << '\t' << EscapeField(e.generalTitle) << '\t'
                   << EscapeField(e.name) << '\n';
        io.out.flush();
        if (dryRun)
            return 0;
        if (merge.NeedsUser()) {
            io.err << Tr("tavelo-cli", "Des sujets ont été modifiés des deux côtés : la fusion demande votre avis et rien "
                                       "n'est écrit. Fusionnez la copie depuis la fenêtre de Tavelo, ou voyez les "
                                       "changements avec --dry-run.")
                   << '\n';
            return 3;
        }
        held->Save(WriteSubjectList(merge.merged));
        if (const int e = MoveToTrash(copyPath)) {
            io.err << Format(Tr("tavelo-cli", "Le livre est fusionné, mais la copie « %1 » n'a pas pu être mise à la "
                                              "corbeille : %2."),
                             {copyPath, DescribeError(e)})
                   << '\n';
            return 1;
        }
        return 0;
    } catch (const FileError& e) {
        io.err << e.what() << '\n';
    } catch (const BookFormatError& e) {
        io.err << e.what() << '\n';
    }
    return 1;
}

} // namespace tavelo::cli
