#pragma once
// What a search tells while it runs and after it. The search runs on threads
// of its own; whoever shows its progress reads a snapshot when it likes.

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/tr.h"

namespace tavelo {

class CTenorels;

inline constexpr std::string_view kSearchingFilePrefix = TAVELO_TR_NOOP("Search", "Recherche dans le fichier : ");
inline constexpr std::string_view kRecognisingPrefix = TAVELO_TR_NOOP("Search", "Reconnaissance du texte : ");
inline constexpr std::string_view kNoSubjectFoundMessage = TAVELO_TR_NOOP("Search", "Aucun sujet ne correspond aux critères");

// A document whose content could not be searched.
struct UnreadableDocument {
    const CTenorels* subject = nullptr;
    std::string path;
    std::string message; // French, names the file and the reason
};

// Safe from any thread.
class SearchProgress {
public:
    struct Snapshot {
        // Subjects examined, in book order: one step of the bar each.
        std::size_t subjectsExamined = 0;
        std::size_t subjectCount = 0;
        // Documents whose content was looked at, and how many there are to
        // look at in all (both grow as the search goes).
        std::size_t documentsRead = 0;
        std::size_t documentsToRead = 0;
        // Of those, the documents the text cache does not know yet: they are
        // read for the first time (scans are recognised, which takes long).
        std::size_t firstReadings = 0;
        // The document being read: kSearchingFilePrefix and its file name.
        std::string line;
    };

    Snapshot Take() const
    {
        Snapshot s;
        s.subjectsExamined = m_subjectsExamined.load();
        s.subjectCount = m_subjectCount.load();
        s.documentsRead = m_documentsRead.load();
        s.documentsToRead = m_documentsToRead.load();
        s.firstReadings = m_firstReadings.load();
        const std::lock_guard lock(m_mutex);
        s.line = m_reading.empty() ? m_line : m_reading.back().second;
        return s;
    }

    // Called by the search.
    void Begin(std::size_t subjectCount) { m_subjectCount = subjectCount; }
    void SubjectExamined() { ++m_subjectsExamined; }
    void DocumentsQueued(std::size_t count) { m_documentsToRead += count; }
    void DocumentToReadFirstTime() { ++m_firstReadings; }
    // The line of a document being read (`task` names it in the search),
    // until DocumentDone: the line shows the last document started of those
    // still being read, else the last one read.
    void SetLine(std::size_t task, std::string line)
    {
        const std::lock_guard lock(m_mutex);
        for (auto& [reading, text] : m_reading) {
            if (reading == task) {
                text = std::move(line);
                return;
            }
        }
        m_reading.emplace_back(task, std::move(line));
    }
    void DocumentDone(std::size_t task)
    {
        {
            const std::lock_guard lock(m_mutex);
            for (auto it = m_reading.begin(); it != m_reading.end(); ++it) {
                if (it->first == task) {
                    m_line = std::move(it->second);
                    m_reading.erase(it);
                    break;
                }
            }
        }
        ++m_documentsRead;
    }

private:
    std::atomic<std::size_t> m_subjectsExamined{0};
    std::atomic<std::size_t> m_subjectCount{0};
    std::atomic<std::size_t> m_documentsRead{0};
    std::atomic<std::size_t> m_documentsToRead{0};
    std::atomic<std::size_t> m_firstReadings{0};
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::size_t, std::string>> m_reading;
    std::string m_line;
};

} // namespace tavelo
