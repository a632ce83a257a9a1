// tavelo-cli suggest, add and inbox: filing new paperwork without the window.

#include <cmath>
#include <cstdio>
#include <iostream>

#include <nlohmann/json.hpp>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "cli/commands.h"
#include "cli/manual.h"
#include "cli/output_field.h"
#include "filing/book_filing.h"
#include "reading/text_source.h"

namespace tavelo::cli {

namespace {

struct Options {
    std::vector<std::string> positional;
    bool json = false;
    bool create = false;
};

// The options `allowed` of `command` and its other words; false after a
// message for an unknown option.
bool ParseOptions(const Args& args, const char* command, std::initializer_list<std::string_view> allowed,
                  Options& out, Streams io)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            out.positional.insert(out.positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (a.rfind("--", 0) != 0 || a.size() == 2) {
            out.positional.push_back(a);
            continue;
        }
        bool known = false;
        for (const std::string_view option : allowed)
            known = known || a == option;
        if (!known) {
            io.err << Format(Tr("tavelo-cli", "Option inconnue : %1"), {a}) << "\n" << CommandUsage(command);
            return false;
        }
        if (a == "--json")
            out.json = true;
        else if (a == "--create")
            out.create = true;
    }
    return true;
}

std::string Score(double score)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2f", score);
    return buffer;
}

// One file's suggestions, as a line or a JSON object.
void WriteSuggestions(const filing::Scorer& scorer, const std::string& path, const filing::FileText& text, bool json,
                      nlohmann::ordered_json& list, Streams io)
{
    if (!text.read) {
        if (json) {
            nlohmann::ordered_json entry;
            entry["file"] = path;
            entry["unreadable"] = text.reason;
            list.push_back(std::move(entry));
        } else {
            io.out << EscapeField(path) << '\t' << Tr("tavelo-cli", "illisible") << '\t' << '\n';
        }
        io.err << Format(Tr("tavelo-cli", "« %1 » n'a pas pu être lu : %2."), {EscapeField(path), text.reason}) << '\n';
        return;
    }
    const filing::Suggestions suggestions = scorer.Suggest(filing::ProfileText(text.text));
    if (json) {
        nlohmann::ordered_json entry;
        entry["file"] = path;
        entry["new_subject"] = suggestions.newSubject;
        auto best = nlohmann::ordered_json::array();
        for (const filing::Suggestion& s : suggestions.best) {
            const filing::SubjectFields& f = scorer.Fields(s.subject);
            nlohmann::ordered_json one;
            one["general_title"] = f.generalTitle;
            one["subject"] = f.name;
            one["score"] = std::round(s.score * 1000) / 1000;
            one["reason"] = s.reason;
            best.push_back(std::move(one));
        }
        entry["suggestions"] = std::move(best);
        list.push_back(std::move(entry));
        return;
    }
    std::string choice;
    if (suggestions.newSubject) {
        choice = Tr("tavelo-cli", "nouveau sujet");
    } else {
        const filing::SubjectFields& f = scorer.Fields(suggestions.best.front().subject);
        choice = f.generalTitle + "/" + f.name;
    }
    const double score = suggestions.best.empty() ? 0.0 : suggestions.best.front().score;
    io.out << EscapeField(path) << '\t' << EscapeField(choice) << '\t' << Score(score) << '\n';
}

// Suggestions for `paths` against the book; 0 when every file was read.
int SuggestFor(const SubjectList& subjects, const std::vector<std::string>& paths, bool json, Streams io)
{
    TextSource source(TextCache::Open());
    const filing::Scorer scorer = filing::ScorerForBook(subjects, source);
    const std::vector<filing::FileText> texts = filing::ReadFileTexts(source, paths);
    auto list = nlohmann::ordered_json::array();
    bool allRead = true;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        WriteSuggestions(scorer, paths[i], texts[i], json, list, io);
        allRead = allRead && texts[i].read;
    }
    if (json)
        io.out << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    io.out.flush();
    WriteReadingNotices(source, io.err);
    if (!io.out) {
        io.err << Tr("tavelo-cli", "Impossible d'écrire sur la sortie standard.") << '\n';
        return 1;
    }
    return allRead ? 0 : 1;
}

} // namespace

int RunSuggest(const Args& args, Streams io)
{
    Options options;
    if (!ParseOptions(args, "suggest", {"--json"}, options, io))
        return 1;
    if (options.positional.size() < 2) {
        io.err << CommandUsage("suggest");
        return 1;
    }
    std::optional<SubjectList> subjects = ReadBookSubjects(options.positional[0], io.err);
    if (!subjects)
        return 1;
    const std::vector<std::string> paths(options.positional.begin() + 1, options.positional.end());
    return SuggestFor(*subjects, paths, options.json, io);
}

int RunInbox(const Args& args, Streams io)
{
    Options options;
    if (!ParseOptions(args, "inbox", {"--json"}, options, io))
        return 1;
    if (options.positional.size() != 2) {
        io.err << CommandUsage("inbox");
        return 1;
    }
    std::optional<SubjectList> subjects = ReadBookSubjects(options.positional[0], io.err);
    if (!subjects)
        return 1;
    std::string reason;
    const std::optional<std::vector<filing::InboxFile>> files =
        filing::ListNewFiles(options.positional[1], *subjects, reason);
    if (!files) {
        io.err << reason << '\n';
        return 1;
    }
    std::vector<std::string> paths;
    for (const filing::InboxFile& f : *files)
        paths.push_back(f.path);
    return SuggestFor(*subjects, paths, options.json, io);
}

int RunAdd(const Args& args, Streams io)
{
    Options options;
    if (!ParseOptions(args, "add", {"--create"}, options, io))
        return 1;
    if (options.positional.size() < 3) {
        io.err << CommandUsage("add");
        return 1;
    }
    const std::string& bookPath = options.positional[0];
    const std::string& label = options.positional[1];
    const std::vector<std::string> paths(options.positional.begin() + 2, options.positional.end());
    try {
        // Taken as an instance of Tavelo takes it: a book another instance
        // holds is only read, and then not changed.
        bool readOnly = true;
        HeldFileStatus status;
        std::unique_ptr<HeldFile> held = OpenHeldFile(bookPath, readOnly, false, &status);
        if (!held) {
            io.err << status.reason << '\n';
            return 1;
        }
        if (readOnly) {
            io.err << Format(Tr("tavelo-cli", "Le livre « %1 » ne peut pas être modifié : %2"), {bookPath, held->DescribeReadOnly()})
                   << '\n';
            return 1;
        }
        SubjectBook book;
        book.Deserialize(held->Load().View(), [&](std::string_view message) { io.err << message << '\n'; });
        const filing::AddOutcome outcome = filing::AddDocuments(book, label, paths, options.create);
        if (!outcome.added) {
            io.err << outcome.message << '\n';
            return 1;
        }
        held->Save([&book](const ByteSink& sink) { book.Serialize(sink); });
        const CTenorels& subject = *book.GetSubject(static_cast<std::size_t>(outcome.subject));
        const std::vector<std::string>& documents = subject.GetDocumentPaths();
        const std::vector<std::string> added(documents.end() - static_cast<std::ptrdiff_t>(paths.size()), documents.end());
        for (const std::string& path : added)
            io.out << EscapeField(subject.GetGeneralTitle() + "/" + subject.GetSubjectName()) << '\t' << EscapeField(path)
                   << '\n';
        io.out.flush();
        // Their texts go into the cache now, so that the search finds them at once.
        TextSource source(TextCache::Open());
        filing::ReadFileTexts(source, added);
        if (const std::string warning = source.Cache().TakeWarning(); !warning.empty())
            io.err << warning << '\n';
        return io.out ? 0 : 1;
    } catch (const FileError& e) {
        io.err << e.what() << '\n';
    } catch (const BookFormatError& e) {
        io.err << Format(Tr("tavelo-cli", "Impossible de lire le livre « %1 » : %2"), {bookPath, e.what()}) << '\n';
    }
    return 1;
}

} // namespace tavelo::cli
