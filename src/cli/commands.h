#pragma once
// The commands of tavelo-cli. Each takes its own arguments (after the command
// name) and the streams to use, and returns the process exit status.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tavelo {
class TextSource;
}

namespace tavelo::cli {

using Args = std::vector<std::string>;

struct Streams {
    std::ostream& out;
    std::ostream& err;
    // The program's own run, which a command may end at once (Finish); tests
    // run the commands inside their own process.
    bool endsProcess = false;
};

// A command's last step, once what must be written is closed (the text
// cache): the output flushed and, in the program's own run, the process
// ended with `status` at once rather than after freeing one by one what the
// command built (the book's subjects, a search's words).
int Finish(Streams io, int status);
// Finish for a command that searched through `source`: the cache written
// and closed, and the readers gone, first. A run of the program's own that
// started no reader and wrote nothing to the cache leaves its connections to
// the end of the process, which frees them at once.
int FinishSearch(Streams io, int status, std::optional<TextSource>& source);

// The whole tool: `words` are what follows "tavelo-cli".
int RunTool(const Args& words, Streams io);

int RunDump(const Args& args, Streams io);
int RunCreate(const Args& args, Streams io);
int RunExport(const Args& args, Streams io);
int RunCheck(const Args& args, Streams io);
int RunSearch(const Args& args, Streams io);
int RunFind(const Args& args, Streams io);
int RunCache(const Args& args, Streams io);
int RunRelink(const Args& args, Streams io);
int RunHolder(const Args& args, Streams io);
int RunConflicts(const Args& args, Streams io);
int RunMergeCopy(const Args& args, Streams io);
int RunSuggest(const Args& args, Streams io);
int RunAdd(const Args& args, Streams io);
int RunInbox(const Args& args, Streams io);
// In tavelo-scan; tavelo-cli runs that program (RunScanProgram).
int RunScan(const Args& args, Streams io);
int RunScanProgram(const Args& args, Streams io);

// Who holds a refused book, with the hint of --take-over for a silent holder.
std::string DescribeRefusal(const std::string& book);

} // namespace tavelo::cli
