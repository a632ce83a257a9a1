#include "book/tenorels.h"

#include <algorithm>
#include <unordered_set>

#include "book/archive.h"

namespace tavelo {

std::string GetDocumentFileName(std::string_view path)
{
    const auto sep = path.find_last_of("/\\");
    if (sep == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(sep + 1));
}

std::string GetDocumentExtension(std::string_view path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return std::string(path);
    return std::string(path.substr(dot + 1));
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    std::string out(folder);
    if (out != "/")
        out.push_back('/');
    out.append(name);
    return out;
}

CTenorels::CTenorels(std::string generalTitle, std::string subjectName, std::int32_t state)
    : m_nState(state)
    , m_strSubjectName(std::move(subjectName))
    , m_strGeneralTitle(std::move(generalTitle))
{
}

void CTenorels::RemoveDocumentPath(int index)
{
    m_documentPaths.erase(m_documentPaths.begin() + index);
}

bool CTenorels::HasDocumentPath(std::string_view path) const
{
    return std::find(m_documentPaths.begin(), m_documentPaths.end(), path) != m_documentPaths.end();
}

void CTenorels::RemoveDuplicatePaths()
{
    // Keeps the first of every group of equal paths; linear, since the tree
    // calls this for every subject of a book it fills.
    std::vector<bool> keep(m_documentPaths.size());
    {
        std::unordered_set<std::string_view> seen;
        for (std::size_t i = 0; i < m_documentPaths.size(); ++i)
            keep[i] = seen.insert(m_documentPaths[i]).second;
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < m_documentPaths.size(); ++i) {
        if (keep[i]) {
            if (out != i)
                m_documentPaths[out] = std::move(m_documentPaths[i]);
            ++out;
        }
    }
    m_documentPaths.resize(out);
}

void CTenorels::Write(ArchiveWriter& ar) const
{
    ar.WriteText(m_strGeneralTitle);
    ar.WriteText(m_strSubjectName);
    ar.WriteInt32(m_nState);
    ar.WriteText(m_strExpectedText);
    ar.WriteCount(m_documentPaths.size());
    for (const auto& path : m_documentPaths)
        ar.WriteText(path);
}

void CTenorels::Read(ArchiveReader& ar, int schema)
{
    m_strGeneralTitle = ar.ReadText();
    m_strSubjectName = ar.ReadText();
    m_nState = ar.ReadInt32();
    if (schema >= 2)
        m_strExpectedText = ar.ReadText();
    const std::uint64_t count = ar.ReadCount();
    // Every path takes at least one byte: a count larger than what is left is damage.
    ar.Require(count);
    ar.ChargeMemory(count * sizeof(std::string));
    m_documentPaths.clear();
    m_documentPaths.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i)
        m_documentPaths.push_back(ar.ReadText());
}

} // namespace tavelo
