#pragma once
// What one copying run has read and written, so that it never replaces a copy
// it made of one document by a copy of another that has the same file name,
// and never writes its own files over a document it copies.

#include <map>
#include <set>
#include <string>

#include "editing/file_copy.h"

namespace tavelo {

class RunTargets {
public:
    // Whether `name` already holds, from this run, a copy of another file.
    bool TakenByOther(const std::string& name, const FileId& source) const
    {
        const auto it = m_copies.find(name);
        return it != m_copies.end() && !(it->second == source);
    }
    bool WasCopied(const std::string& name) const { return m_copies.count(name) != 0; }
    void RecordCopy(const std::string& name, const FileId& source) { m_copies[name] = source; }

    void AddSource(const FileId& source) { m_sources.insert(source); }
    bool IsSource(const FileId& file) const { return m_sources.count(file) != 0; }

private:
    std::map<std::string, FileId> m_copies;
    std::set<FileId> m_sources;
};

// Whether the file at `path` exists and is one of the run's sources.
bool IsSourceAt(const RunTargets& targets, const std::string& path);

} // namespace tavelo
