#pragma once
// One subject of a book: general title, subject name, open/closed state, expected
// text and the ordered paths of its document files. Texts are UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo {

class ArchiveReader;
class ArchiveWriter;

// The file name part of a path: what follows its last '/' or '\' (books written on
// Windows keep their backslashes), or the whole path when it has neither.
std::string GetDocumentFileName(std::string_view path);

// What follows the last '.' anywhere in the path (so "/a/mes.docs/lettre" gives
// "docs/lettre"), or the whole path when it has no dot. Case is kept.
std::string GetDocumentExtension(std::string_view path);

// Joins a folder and a file name with exactly one '/', even after a trailing one.
std::string JoinPath(std::string_view folder, std::string_view name);

class CTenorels {
public:
    static constexpr std::int32_t kOpen = 0;
    static constexpr std::int32_t kClosed = 1;

    // A record made for reading: empty texts, open, no documents.
    CTenorels() = default;
    CTenorels(std::string generalTitle, std::string subjectName, std::int32_t state);

    const std::string& GetGeneralTitle() const { return m_strGeneralTitle; }
    void SetGeneralTitle(std::string title) { m_strGeneralTitle = std::move(title); }
    const std::string& GetSubjectName() const { return m_strSubjectName; }
    void SetSubjectName(std::string name) { m_strSubjectName = std::move(name); }
    std::int32_t GetState() const { return m_nState; }
    void SetState(std::int32_t state) { m_nState = state; }
    const std::string& GetExpectedText() const { return m_strExpectedText; }
    void SetExpectedText(std::string text) { m_strExpectedText = std::move(text); }

    int GetDocumentCount() const { return static_cast<int>(m_documentPaths.size()); }
    const std::string& GetDocumentPath(int index) const { return m_documentPaths[static_cast<std::size_t>(index)]; }
    const std::vector<std::string>& GetDocumentPaths() const { return m_documentPaths; }
    void AddDocumentPath(std::string path) { m_documentPaths.push_back(std::move(path)); }
    void RemoveDocumentPath(int index);
    void SetDocumentPath(int index, std::string path) { m_documentPaths[static_cast<std::size_t>(index)] = std::move(path); }
    bool HasDocumentPath(std::string_view path) const;
    void RemoveDuplicatePaths();
    std::string GetDocumentFileName(int index) const { return tavelo::GetDocumentFileName(GetDocumentPath(index)); }
    std::string GetDocumentExtension(int index) const { return tavelo::GetDocumentExtension(GetDocumentPath(index)); }

    // The record's part of the book file. Reading follows the schema that the
    // file stores for the record class (1: no expected text; 2: all fields).
    void Write(ArchiveWriter& ar) const;
    void Read(ArchiveReader& ar, int schema);

    bool operator==(const CTenorels&) const = default;

private:
    std::string m_strExpectedText;
    std::int32_t m_nState = kOpen;
    std::string m_strSubjectName;
    std::string m_strGeneralTitle;
    std::vector<std::string> m_documentPaths;
};

} // namespace tavelo
