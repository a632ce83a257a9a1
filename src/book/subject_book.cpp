#include "book/subject_book.h"

namespace tavelo {

long SubjectBook::IndexOf(const CTenorels* subject) const
{
    for (std::size_t i = 0; i < m_subjects.size(); ++i) {
        if (m_subjects[i].get() == subject)
            return static_cast<long>(i);
    }
    return -1;
}

CTenorels* SubjectBook::AppendSubject(std::unique_ptr<CTenorels> subject)
{
    m_subjects.push_back(std::move(subject));
    return m_subjects.back().get();
}

void SubjectBook::AppendSubjects(SubjectList subjects)
{
    m_subjects.reserve(m_subjects.size() + subjects.size());
    for (auto& subject : subjects)
        m_subjects.push_back(std::move(subject));
}

void SubjectBook::RemoveSubject(std::size_t index)
{
    if (m_subjects[index].get() == m_pCurrentSubject)
        m_pCurrentSubject = nullptr;
    m_subjects.erase(m_subjects.begin() + static_cast<long>(index));
}

void SubjectBook::ReplaceSubjects(SubjectList subjects)
{
    m_pCurrentSubject = nullptr;
    m_subjects = std::move(subjects);
}

void SubjectBook::Deserialize(std::string_view bytes, const FormatNotice& notice)
{
    ReplaceSubjects(ReadSubjectList(bytes, notice));
    m_bModified = false;
}

} // namespace tavelo
