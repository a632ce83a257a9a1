#include "filing/book_filing.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <unordered_set>

#include <dirent.h>
#include <sys/stat.h>

#include "base/tr.h"
#include "book/file_io.h"
#include "reading/content_hash.h"
#include "reading/text_decoding.h"
#include "reading/text_source.h"
#include "search/query/quick_search.h"

namespace tavelo::filing {

namespace {

std::string Resolved(const std::string& path)
{
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr)
        return {};
    return buffer;
}

std::string Absolute(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

} // namespace

Scorer ScorerForBook(const SubjectList& subjects, TextSource& source, bool readMissing, ScorerOptions options)
{
    QuickSearch texts(subjects, source.Cache());
    if (readMissing && !texts.Unread().empty()) {
        texts.ReadMissing(source);
        texts.Refresh();
    }
    Scorer scorer(options);
    for (std::size_t s = 0; s < subjects.size(); ++s) {
        const CTenorels& record = *subjects[s];
        scorer.AddSubject({record.GetGeneralTitle(), record.GetSubjectName(), record.GetExpectedText(),
                           record.GetState() == CTenorels::kClosed});
        for (int d = 0; d < record.GetDocumentCount(); ++d)
            if (const std::optional<DocumentText> text = texts.Text(s, d))
                scorer.AddDocument(s, ProfileText(text->Body()));
    }
    return scorer;
}

FileText ReadFileText(TextSource& source, const std::string& path)
{
    FileText out;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        out.reason = DescribeError(errno);
        return out;
    }
    if (!S_ISREG(st.st_mode)) {
        out.reason = DescribeNotRegular(st.st_mode);
        return out;
    }
    const DocumentKind kind = KindOfExtension(GetDocumentExtension(GetDocumentFileName(path)));
    if (kind == DocumentKind::kOther) {
        out.reason = Tr("Filing", "ce type de document n'est pas lu");
        return out;
    }
    DocumentRead read = source.Read(path, kind, ReadContext{});
    if (read.status != ReadStatus::kRead) {
        out.reason = Tr("Search", read.reason);
        if (out.reason.empty())
            out.reason = Tr("Filing", "le document n'a pas pu être lu");
        return out;
    }
    if (IsReadInProcess(kind)) {
        std::string storage;
        // Kept like the quick search keeps plain text, so that the word index
        // holds it once the file is filed.
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            out.text.assign(source.KeepPlainText(path, StateOf(st), kind, read.bytes, storage));
        else
            out.text.assign(DecodeTextFile(read.bytes, storage));
    } else {
        out.text = read.text.Body();
    }
    out.read = true;
    return out;
}

std::vector<FileText> ReadFileTexts(TextSource& source, const std::vector<std::string>& paths)
{
    std::vector<FileText> texts(paths.size());
    source.ReadInParallel(paths.size(), [&](std::size_t i) { texts[i] = ReadFileText(source, paths[i]); });
    return texts;
}

bool BookHoldsPath(const SubjectList& subjects, const std::string& path)
{
    const std::string resolved = Resolved(path);
    for (const auto& record : subjects)
        for (const std::string& held : record->GetDocumentPaths())
            if (held == path || (!resolved.empty() && Resolved(held) == resolved))
                return true;
    return false;
}

std::optional<std::vector<InboxFile>> ListNewFiles(const std::string& folder, const SubjectList& subjects,
                                                   std::string& reason)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        reason = Format(Tr("Filing", "Le dossier « %1 » ne peut pas être lu : %2."), {folder, DescribeError(errno)});
        return std::nullopt;
    }
    std::unordered_set<std::string> held;
    for (const auto& record : subjects)
        for (const std::string& path : record->GetDocumentPaths()) {
            held.insert(path);
            if (std::string r = Resolved(path); !r.empty())
                held.insert(std::move(r));
        }
    std::vector<InboxFile> files;
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            error = errno;
            break;
        }
        const std::string name = entry->d_name;
        if (name.empty() || name.front() == '.')
            continue;
        const std::string path = JoinPath(folder, name);
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (held.count(path) != 0 || held.count(Absolute(path)) != 0)
            continue;
        if (std::string r = Resolved(path); !r.empty() && held.count(r) != 0)
            continue;
        files.push_back({path, static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
    }
    ::closedir(dir);
    if (error != 0) {
        reason = Format(Tr("Filing", "Le dossier « %1 » ne peut pas être lu : %2."), {folder, DescribeError(error)});
        return std::nullopt;
    }
    std::sort(files.begin(), files.end(), [](const InboxFile& a, const InboxFile& b) {
        return a.modifiedNs != b.modifiedNs ? a.modifiedNs > b.modifiedNs : a.path < b.path;
    });
    return files;
}

long FindSubjectByLabel(const SubjectList& subjects, const std::string& label, std::string& title, std::string& name)
{
    title.clear();
    name.clear();
    for (std::size_t slash = label.find('/'); slash != std::string::npos; slash = label.find('/', slash + 1)) {
        const std::string t = label.substr(0, slash);
        const std::string n = label.substr(slash + 1);
        if (title.empty() && name.empty()) {
            title = t;
            name = n;
        }
        for (std::size_t s = 0; s < subjects.size(); ++s)
            if (subjects[s]->GetGeneralTitle() == t && subjects[s]->GetSubjectName() == n) {
                title = t;
                name = n;
                return static_cast<long>(s);
            }
    }
    return -1;
}

AddOutcome AddDocuments(SubjectBook& book, const std::string& label, const std::vector<std::string>& paths,
                        bool create)
{
    AddOutcome out;
    std::string title, name;
    long index = FindSubjectByLabel(book.Subjects(), label, title, name);
    if (index < 0) {
        if (title.empty() || name.empty()) {
            out.message = Format(Tr("Filing", "« %1 » ne désigne pas un sujet : écrivez TITRE GÉNÉRAL/INTITULÉ."), {label});
            return out;
        }
        if (!create) {
            out.message = Format(Tr("Filing", "Le livre n'a pas de sujet « %1 / %2 » ; --create le crée."), {title, name});
            return out;
        }
    }
    std::vector<std::string> absolute;
    for (const std::string& path : paths) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            out.message = Format(Tr("Filing", "Le fichier « %1 » ne peut pas être ajouté : %2."), {path, DescribeError(errno)});
            return out;
        }
        if (!S_ISREG(st.st_mode)) {
            out.message = Format(Tr("Filing", "Le fichier « %1 » ne peut pas être ajouté : %2."), {path, DescribeNotRegular(st.st_mode)});
            return out;
        }
        std::string full = Absolute(path);
        if (BookHoldsPath(book.Subjects(), full) ||
            std::find(absolute.begin(), absolute.end(), full) != absolute.end()) {
            out.message = Format(Tr("Filing", "Le document « %1 » est déjà dans le livre : rien n'a été ajouté."), {full});
            return out;
        }
        absolute.push_back(std::move(full));
    }
    CTenorels* subject = nullptr;
    if (index < 0) {
        subject = book.AppendSubject(std::make_unique<CTenorels>(title, name, CTenorels::kOpen));
        index = book.IndexOf(subject);
    } else {
        subject = book.GetSubject(static_cast<std::size_t>(index));
    }
    for (std::string& path : absolute)
        subject->AddDocumentPath(std::move(path));
    book.SetModifiedFlag(true);
    out.added = true;
    out.subject = index;
    return out;
}

} // namespace tavelo::filing
