#pragma once
// One reader process (tavelo-reader) seen from the searching process: started
// on first use, given one document at a time, killed and replaced when it
// passes a limit, dies or answers out of turn.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "reading/document_text.h"
#include "reading/kinds.h"

namespace tavelo {

inline constexpr const char* kReaderProgramName = "tavelo-reader";

// The reader program: beside the running program, in ../libexec/tavelo from
// it (an installed program), else the one of the build tree; empty when none
// is there.
std::string FindReaderProgram();

struct ReaderLimits {
    // Address space of the reader process (RLIMIT_AS).
    std::size_t memoryBytes = std::size_t{512} << 20;
    // Wall-clock time a document may take, and the processor time it may use.
    std::chrono::seconds documentTime{20};
    // The same for each page that must be recognised from its image.
    std::chrono::seconds ocrPageTime{60};
};

enum class ReadStatus {
    kRead,
    // The document cannot be read; `reason` says why.
    kUnreadable,
    // The reader program cannot be started or does not answer as it should;
    // `reason` says why. Not the document's fault.
    kNoReader,
    kCancelled,
};

struct ReadOutcome {
    ReadStatus status = ReadStatus::kUnreadable;
    DocumentText text;
    std::string reason;
    // False for a failure that says nothing lasting about the file (a limit
    // passed, a reader that died): the next search tries again.
    bool lasting = true;
};

// Called while a document is read: a unit of work (an OCR page) done of total.
using ReadProgress = std::function<void(std::string_view unit, std::size_t done, std::size_t total)>;

class ReaderProcess {
public:
    ReaderProcess(std::string executable, ReaderLimits limits);
    ~ReaderProcess();
    ReaderProcess(const ReaderProcess&) = delete;
    ReaderProcess& operator=(const ReaderProcess&) = delete;

    // Reads the document open on `fd` (a regular file) as `kind`. Returns
    // kCancelled soon after `cancel` becomes true, with the reader killed.
    ReadOutcome Read(int fd, DocumentKind kind, const std::atomic<bool>* cancel = nullptr,
                     const ReadProgress& progress = {});

    int Starts() const { return m_starts; }
    pid_t ProcessId() const { return m_pid; }

private:
    enum class Exchange;
    bool Start(std::string& reason);
    void Stop();
    void DropIfOutOfStep();
    // False when the request could not be sent; `readerGone` then says
    // whether the reader's end of the channel is closed.
    bool SendRequest(int fd, DocumentKind kind, bool* readerGone = nullptr);
    Exchange Receive(bool expectHello, ReadOutcome& outcome, const std::atomic<bool>* cancel,
                     const ReadProgress& progress);
    std::string DescribeEnd();

    std::string m_executable;
    ReaderLimits m_limits;
    pid_t m_pid = -1;
    int m_channel = -1;
    int m_starts = 0;
    bool m_killedForTime = false;
};

} // namespace tavelo
