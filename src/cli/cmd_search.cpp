// tavelo-cli search: the search of the book window, without the window.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/held_file.h"
#include "cli/commands.h"
#include "cli/manual.h"
#include "cli/output_field.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"
#include "search/search_run.h"

namespace tavelo::cli {

namespace {

// A whole number in [1, limit] after "--name=".
bool ParseCount(const std::string& arg, std::string_view name, unsigned long limit, unsigned long& value)
{
    if (arg.rfind(name, 0) != 0)
        return false;
    const std::string digits = arg.substr(name.size());
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoul(digits);
    return value >= 1 && value <= limit;
}

bool ParseScopes(const std::string& list, unsigned& scopes)
{
    scopes = 0;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string name = list.substr(start, comma - start);
        if (name == "names")
            scopes |= kScopeSubjectNames;
        else if (name == "expected")
            scopes |= kScopeExpectedTexts;
        else if (name == "files")
            scopes |= kScopeDocumentNames;
        else if (name == "contents")
            scopes |= kScopeDocumentContents;
        else
            return false;
        start = comma + 1;
    }
    return scopes != 0;
}

} // namespace

int RunSearch(const Args& args, Streams io)
{
    constexpr int kFound = 0;
    constexpr int kNotFound = 1;
    constexpr int kBadInput = 2;
    std::vector<std::string> positional;
    unsigned scopes = kScopeAll;
    SearchOptions options;
    bool useCache = true;
    SourceOptions reading;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        unsigned long number = 0;
        const auto numeric = [&](std::string_view name, unsigned long limit) {
            if (a.rfind(name, 0) != 0)
                return false;
            if (!ParseCount(a, name, limit, number)) {
                io.err << Format(Tr("tavelo-cli", "Valeur invalide : %1 (un nombre entier de 1 à %2 est attendu)."),
                                 {a, std::to_string(limit)})
                       << '\n';
                number = 0;
            }
            return true;
        };
        if (numeric("--readers=", 256)) {
            if (number == 0)
                return kBadInput;
            reading.parallelism = static_cast<unsigned>(number);
        } else if (numeric("--memory=", 1024 * 1024)) {
            if (number == 0)
                return kBadInput;
            reading.limits.memoryBytes = static_cast<std::size_t>(number) << 20;
        } else if (numeric("--time=", 86400)) {
            if (number == 0)
                return kBadInput;
            reading.limits.documentTime = std::chrono::seconds(number);
        } else if (numeric("--ocr-time=", 86400)) {
            if (number == 0)
                return kBadInput;
            reading.limits.ocrPageTime = std::chrono::seconds(number);
        } else if (a == "--no-cache") {
            useCache = false;
        } else if (a == "--whole-word") {
            options.wholeWord = true;
        } else if (a == "--match-case") {
            options.matchCase = true;
        } else if (a == "--scope" || a.rfind("--scope=", 0) == 0) {
            std::string list;
            if (a == "--scope") {
                if (++i == args.size()) {
                    io.err << CommandUsage("search");
                    return kBadInput;
                }
                list = args[i];
            } else {
                list = a.substr(8);
            }
            if (!ParseScopes(list, scopes)) {
                io.err << Format(Tr("tavelo-cli", "Zone de recherche inconnue : « %1 » (attendu : names, expected, files, contents, séparés par des virgules)."),
                                 {list})
                       << '\n';
                return kBadInput;
            }
        } else if (a.rfind("--", 0) == 0 && a.size() > 2) {
            io.err << Format(Tr("tavelo-cli", "Option inconnue : %1"), {a}) << "\n" << CommandUsage("search");
            return kBadInput;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        io.err << CommandUsage("search");
        return kBadInput;
    }
    const std::string& bookPath = positional[0];
    // As in the search dialog, leading white space is not part of the word.
    std::string word = positional[1];
    word.erase(0, word.find_first_not_of(" \t\r\n\v\f"));
    if (word.empty()) {
        io.err << Tr("tavelo-cli", "Le mot à rechercher est vide.") << '\n';
        return kBadInput;
    }

    // The cache opens while a large book is read. A small one, a few dozen
    // documents at most, is read in less time: the cache is opened after it,
    // and only for a search it serves.
    constexpr std::uintmax_t kSmallBook = 4096;
    std::error_code sizeError;
    const std::uintmax_t bookSize = std::filesystem::file_size(bookPath, sizeError);
    const bool openFirst = useCache && (sizeError || bookSize > kSmallBook);
    std::future<std::unique_ptr<TextCache>> cache;
    if (openFirst)
        cache = TextCache::OpenInBackground();
    std::optional<SubjectList> read = ReadBookSubjects(bookPath, io.err);
    if (!read)
        return kBadInput;
    const SubjectList subjects = std::move(*read);
    const bool served = useCache && CacheServesSearch(subjects, scopes);
    if (served && !openFirst)
        cache = TextCache::OpenInBackground();

    std::optional<SearchPattern> pattern;
    try {
        pattern.emplace(word, options);
    } catch (const PatternError& e) {
        io.err << e.what() << '\n';
        return kBadInput;
    }

    // The cache goes on opening while the documents are first looked at. A
    // search it cannot serve does not wait for it (the process of the
    // program's own ends without it).
    std::optional<TextSource> source;
    if (served)
        source.emplace(std::move(cache), reading);
    else
        source.emplace(TextCache::Disabled(), reading);
    const SearchResult result = tavelo::RunSearch(subjects, *pattern, scopes, {&*source});
    // One line per subject, whatever its names hold.
    for (const CTenorels* hit : result.hits)
        io.out << EscapeField(hit->GetGeneralTitle()) << '\t' << EscapeField(hit->GetSubjectName()) << '\n';
    io.out.flush();
    for (const std::string* notice : {&result.readerNotice, &result.cacheWarning})
        if (!notice->empty())
            io.err << *notice << '\n';
    io.err << DescribeUnreadableDocuments(result.unreadable);
    if (const std::string kinds = DescribeUnreadKinds(result.unreadKinds); !kinds.empty())
        io.err << kinds << '\n';
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
