#pragma once
// The text files that the copying commands write (Compte_rendu.txt,
// Attendu.txt): their encoding, and a file that is created first and filled
// and put in place at the end.

#include <string>
#include <string_view>

#include "editing/staged_file.h"

namespace tavelo {

// Windows-1252 bytes when every character of the UTF-8 text has one, else the
// UTF-8 text after a byte-order mark.
std::string EncodeTextFile(std::string_view utf8);

// A file whose place is taken at the start of an operation and whose content
// is known only at its end. Open creates a staged file in the folder (so
// failing to create files there shows at once; see staged_file.h); Commit
// writes the content, flushes it to disk and renames it to its final name,
// replacing a file there unless told not to. An uncommitted file is removed
// when the object goes.
class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() { Abandon(); }

    // 0, or the errno value of the failure.
    int Open(const std::string& folder, std::string_view prefix = kStagedPrefix);
    bool IsOpen() const { return m_fd >= 0; }
    int Commit(std::string_view bytes, const std::string& finalPath, bool replace = true);
    void Abandon();

private:
    int m_fd = -1;
    std::string m_temp;
};

} // namespace tavelo
