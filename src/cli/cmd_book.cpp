// tavelo-cli dump and create.

#include <cerrno>
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "cli/book_json.h"
#include "cli/commands.h"
#include "cli/manual.h"

namespace tavelo::cli {

namespace {

constexpr std::size_t kMaxJsonBytes = std::size_t{256} << 20;

// The JSON may come from a pipe (`<(...)`, /dev/stdin), unlike a book: it is
// read as a stream, up to a bound.
std::string ReadJsonInput(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError(Format(Tr("Book", "Impossible de lire le fichier « %1 » : %2."), {path, DescribeError(errno)}), errno);
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxJsonBytes)
            throw FileError(Format(Tr("Book", "Impossible de lire le fichier « %1 » : %2."), {path, DescribeError(EFBIG)}), EFBIG);
    }
    if (in.bad())
        throw FileError(Format(Tr("Book", "Impossible de lire le fichier « %1 » : %2."), {path, DescribeError(EIO)}), EIO);
    return text;
}

} // namespace

int RunDump(const Args& args, Streams io)
{
    if (args.size() != 1) {
        io.err << CommandUsage("dump");
        return 1;
    }
    const std::string& path = args[0];
    try {
        const SubjectList subjects = ReadSubjectList(ReadBookAsReader(path).View());
        io.out << BookToJson(subjects).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        io.out.flush();
        if (!io.out) {
            io.err << Tr("tavelo-cli", "Impossible d'écrire sur la sortie standard.") << '\n';
            return 1;
        }
        return 0;
    } catch (const FileError& e) {
        io.err << e.what() << '\n';
    } catch (const BookFormatError& e) {
        io.err << Format(Tr("tavelo-cli", "Impossible de lire le livre « %1 » : %2"), {path, e.what()}) << '\n';
    }
    return 1;
}

int RunCreate(const Args& args, Streams io)
{
    bool force = false;
    bool takeOver = false;
    std::vector<std::string> positional;
    for (const auto& a : args) {
        if (a == "--force")
            force = true;
        else if (a == "--take-over")
            takeOver = true;
        else
            positional.push_back(a);
    }
    if (positional.size() != 2) {
        io.err << CommandUsage("create");
        return 1;
    }
    const std::string& jsonPath = positional[0];
    const std::string& bookPath = positional[1];
    try {
        const std::string text = ReadJsonInput(jsonPath);
        nlohmann::json json;
        try {
            json = nlohmann::json::parse(text);
        } catch (const nlohmann::json::parse_error& e) {
            io.err << Format(Tr("tavelo-cli", "Le fichier JSON « %1 » est mal formé (octet %2)."), {jsonPath, std::to_string(e.byte)}) << '\n';
            return 1;
        }
        const SubjectList subjects = BookFromJson(json);
        if (!force) {
            WriteNewFile(bookPath, [&](const ByteSink& sink) { WriteSubjectList(subjects, sink); }, false);
            return 0;
        }
        // Replacing a book takes it as an instance of Tavelo would, so a book
        // that an instance holds is left alone.
        bool readOnly = true;
        HeldFileStatus status;
        std::unique_ptr<HeldFile> held = OpenHeldFile(bookPath, readOnly, true, &status, DefaultFileSystem(),
                                                      takeOver ? TakeOver::kSilentHolder : TakeOver::kNever);
        if (!held) {
            if (status.kind == HeldFileError::kInUse)
                io.err << Format(Tr("tavelo-cli", "Le livre « %1 » est ouvert en modification par une instance de Tavelo ; il n'est pas remplacé."), {bookPath}) << '\n'
                       << DescribeRefusal(bookPath);
            else
                io.err << status.reason << '\n';
            return 1;
        }
        held->Save(SerializeSubjects(subjects).View());
        return 0;
    } catch (const JsonShapeError& e) {
        io.err << Format(Tr("tavelo-cli", "Le fichier JSON « %1 » n'a pas la forme d'un livre : %2"), {jsonPath, e.what()}) << '\n';
    } catch (const FileError& e) {
        if (e.Error() == EEXIST && !force)
            io.err << Format(Tr("tavelo-cli", "Le fichier « %1 » existe déjà ; ajoutez --force pour le remplacer."), {bookPath}) << '\n';
        else
            io.err << e.what() << '\n';
    }
    return 1;
}

} // namespace tavelo::cli
