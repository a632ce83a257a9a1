#pragma once
// The book without its windows: the subject list that owns its records, the
// current subject, the chosen folder and the modified flag.

#include <string>

#include "book/book_file.h"

namespace tavelo {

class SubjectBook {
public:
    SubjectBook() = default;
    SubjectBook(const SubjectBook&) = delete;
    SubjectBook& operator=(const SubjectBook&) = delete;
    virtual ~SubjectBook() = default;

    const SubjectList& Subjects() const { return m_subjects; }
    std::size_t GetSubjectCount() const { return m_subjects.size(); }
    CTenorels* GetSubject(std::size_t index) const { return m_subjects[index].get(); }
    // The index of a record of this book, or -1.
    long IndexOf(const CTenorels* subject) const;

    CTenorels* AppendSubject(std::unique_ptr<CTenorels> subject);
    void AppendSubjects(SubjectList subjects);
    // Destroys the record; the current subject is cleared when it was this one.
    void RemoveSubject(std::size_t index);
    // Replaces the whole list (a load); the current subject is cleared.
    void ReplaceSubjects(SubjectList subjects);

    CTenorels* GetCurrentSubject() const { return m_pCurrentSubject; }
    void SetCurrentSubject(CTenorels* subject) { m_pCurrentSubject = subject; }

    const std::string& GetChosenFolder() const { return m_szChosenFolder; }
    void SetChosenFolder(std::string folder) { m_szChosenFolder = std::move(folder); }

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    // The book file's bytes, and the reverse: a load replaces the subjects and
    // leaves the book unmodified, or fails and leaves the book as it was.
    std::string Serialize() const { return WriteSubjectList(m_subjects); }
    void Serialize(const ByteSink& sink) const { WriteSubjectList(m_subjects, sink); }
    FileBytes SerializeToBytes() const { return SerializeSubjects(m_subjects); }
    void Deserialize(std::string_view bytes, const FormatNotice& notice = {});

protected:
    SubjectList m_subjects;
    CTenorels* m_pCurrentSubject = nullptr;
    std::string m_szChosenFolder;
    bool m_bModified = false;
};

} // namespace tavelo
