// tavelo-cli find: the quick search of the book window, without the window.

#include <iostream>
#include <optional>

#include <nlohmann/json.hpp>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "cli/commands.h"
#include "cli/manual.h"
#include "cli/output_field.h"
#include "reading/text_source.h"
#include "search/query/quick_search.h"
#include "search/search_progress.h"

namespace tavelo::cli {

namespace {

nlohmann::ordered_json WhereList(unsigned where)
{
    auto list = nlohmann::ordered_json::array();
    const std::pair<unsigned, const char*> names[] = {{query::kFieldName, "name"},
                                                      {query::kFieldGeneralTitle, "general_title"},
                                                      {query::kFieldExpected, "expected"},
                                                      {query::kFieldFileName, "file_name"},
                                                      {query::kFieldContents, "contents"}};
    for (const auto& [bit, name] : names)
        if ((where & bit) != 0)
            list.push_back(name);
    return list;
}

} // namespace

int RunFind(const Args& args, Streams io)
{
    constexpr int kFound = 0;
    constexpr int kNotFound = 1;
    constexpr int kBadInput = 2;
    std::vector<std::string> positional;
    bool json = false;
    std::size_t limit = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--limit" || a.rfind("--limit=", 0) == 0) {
            std::string value;
            if (a == "--limit") {
                if (++i == args.size()) {
                    io.err << CommandUsage("find");
                    return kBadInput;
                }
                value = args[i];
            } else {
                value = a.substr(8);
            }
            if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos ||
                std::stoul(value) == 0) {
                io.err << Format(Tr("tavelo-cli", "Valeur invalide : %1 (un nombre entier de 1 à %2 est attendu)."),
                                 {a == "--limit" ? value : a, "999999999"})
                       << '\n';
                return kBadInput;
            }
            limit = std::stoul(value);
        } else if (a == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        } else if (a.rfind("--", 0) == 0 && a.size() > 2) {
            io.err << Format(Tr("tavelo-cli", "Option inconnue : %1"), {a}) << "\n" << CommandUsage("find");
            return kBadInput;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() < 2) {
        io.err << CommandUsage("find");
        return kBadInput;
    }
    const std::string& bookPath = positional[0];
    std::string text;
    for (std::size_t i = 1; i < positional.size(); ++i)
        text += (i > 1 ? " " : "") + positional[i];

    query::Query parsed;
    try {
        parsed = query::ParseQuery(text);
    } catch (const query::QueryError& e) {
        io.err << e.what() << '\n';
        return kBadInput;
    }
    if (!parsed.HasPositive()) {
        io.err << Tr("Search", "La recherche ne contient aucun mot à trouver.") << '\n';
        return kBadInput;
    }

    std::future<std::unique_ptr<TextCache>> cache = TextCache::OpenInBackground();
    std::optional<SubjectList> read = ReadBookSubjects(bookPath, io.err);
    if (!read)
        return kBadInput;
    const SubjectList subjects = std::move(*read);

    // The cache goes on opening while the documents are first looked at.
    std::optional<TextSource> source(std::in_place, std::move(cache));
    QuickSearch search(subjects, *source);
    // Documents not read yet are read now, as the window does in the background.
    if (!search.Unread().empty()) {
        search.ReadMissing(*source);
        search.Refresh();
    }
    QuickResult result = search.Find(parsed);
    search.Rank(parsed, result.hits);
    if (limit != 0 && result.hits.size() > limit)
        result.hits.resize(limit);

    auto list = nlohmann::ordered_json::array();
    for (const QuickHit& hit : result.hits) {
        const std::string& path = hit.document >= 0 ? search.DocumentPath(hit.subject, hit.document) : std::string();
        if (json) {
            nlohmann::ordered_json entry;
            entry["general_title"] = search.GeneralTitle(hit.subject);
            entry["subject"] = search.SubjectName(hit.subject);
            entry["document"] = hit.document >= 0 ? nlohmann::ordered_json(path) : nlohmann::ordered_json(nullptr);
            entry["where"] = WhereList(hit.where);
            entry["hits"] = hit.hits;
            entry["extract"] = hit.extract.text;
            list.push_back(std::move(entry));
        } else {
            io.out << EscapeField(search.GeneralTitle(hit.subject) + "/" + search.SubjectName(hit.subject)) << '\t'
                   << EscapeField(path) << '\t' << EscapeField(hit.extract.text) << '\n';
        }
    }
    if (json)
        io.out << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    io.out.flush();
    WriteReadingNotices(*source, io.err);
    int status = kFound;
    if (!io.out) {
        io.err << Tr("tavelo-cli", "Impossible d'écrire sur la sortie standard.") << '\n';
        status = kBadInput;
    } else if (result.hits.empty()) {
        io.err << Tr("Search", kNoSubjectFoundMessage) << '\n';
        status = kNotFound;
    }
    return FinishSearch(io, status, source);
}

} // namespace tavelo::cli
