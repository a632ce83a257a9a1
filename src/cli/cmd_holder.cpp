// tavelo-cli holder: who holds a book, read from its lock file.

#include <ctime>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/holder.h"
#include "cli/commands.h"
#include "cli/manual.h"

namespace tavelo::cli {

namespace {

const char* StateName(HolderState state)
{
    switch (state) {
    case HolderState::kFree:
        return "free";
    case HolderState::kAlive:
        return "held";
    case HolderState::kGone:
        return "gone";
    case HolderState::kSilent:
        return "silent";
    }
    return "free";
}

// How long ago the holder was last alive: the share's clock against the lock
// file's time; the holder's own `alive` only where the share gives no clock,
// and never when it lies in the future.
long long SecondsSinceAlive(const BookHolder& holder)
{
    if (holder.verdict.silentFor >= 0)
        return holder.verdict.silentFor;
    const long long now = static_cast<long long>(std::time(nullptr));
    if (holder.info.alive > 0 && holder.info.alive <= now)
        return now - holder.info.alive;
    return -1;
}

} // namespace

int RunHolder(const Args& args, Streams io)
{
    bool json = false;
    std::vector<std::string> positional;
    for (const auto& a : args) {
        if (a == "--json")
            json = true;
        else
            positional.push_back(a);
    }
    if (positional.size() != 1) {
        io.err << CommandUsage("holder");
        return 1;
    }
    const std::string& book = positional[0];
    struct stat st {};
    if (::stat(book.c_str(), &st) != 0) {
        io.err << Format(Tr("Book", "Impossible d'ouvrir le fichier « %1 » : %2."), {book, DescribeError(errno)}) << '\n';
        return 1;
    }
    const BookHolder holder = LookUpHolder(book);
    const HolderState state = holder.verdict.state;
    const long long ago = SecondsSinceAlive(holder);
    if (json) {
        nlohmann::ordered_json out;
        out["book"] = book;
        out["state"] = StateName(state);
        out["byte_lock"] = holder.byteLocked;
        if (holder.info.Describes()) {
            out["user"] = holder.info.user;
            out["host"] = holder.info.host;
            out["pid"] = holder.info.pid;
            out["since"] = holder.info.since;
            out["session"] = holder.info.session;
            out["alive"] = holder.info.alive;
            out["version"] = holder.info.version;
            out["same_machine"] = holder.verdict.sameMachine;
            out["seconds_since_alive"] = ago;
        }
        io.out << out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else if (state == HolderState::kFree || state == HolderState::kGone) {
        io.out << Format(Tr("tavelo-cli", "Le livre « %1 » est libre."), {book}) << '\n';
        if (state == HolderState::kGone)
            io.out << Format(Tr("tavelo-cli", "Son dernier détenteur n'est plus là : %1"), {DescribeHolder(holder.info)}) << '\n';
    } else {
        io.out << DescribeHolder(holder.info) << '\n';
        if (holder.info.pid > 0)
            io.out << Format(Tr("tavelo-cli", "Processus %1"), {std::to_string(holder.info.pid)}) << '\n';
        if (state == HolderState::kSilent)
            io.out << DescribeSilence(ago) << '\n'
                   << Tr("tavelo-cli", "Son détenteur ne donne plus signe de vie : --take-over permet de reprendre le livre.") << '\n';
        else if (ago >= 0)
            io.out << Format(Tr("tavelo-cli", "Dernier signe de vie il y a %1 s"), {std::to_string(ago)}) << '\n';
    }
    io.out.flush();
    if (!io.out) {
        io.err << Tr("tavelo-cli", "Impossible d'écrire sur la sortie standard.") << '\n';
        return 1;
    }
    return 0;
}

// The lines of a refusal: who holds the book, and how to take it over when
// its holder has been silent.
std::string DescribeRefusal(const std::string& book)
{
    const BookHolder holder = LookUpHolder(book);
    std::string text = DescribeHolder(holder.info) + "\n";
    if (holder.verdict.state == HolderState::kSilent)
        text += DescribeSilence(holder.verdict.silentFor) + "\n" +
                Tr("tavelo-cli", "Son détenteur ne donne plus signe de vie : --take-over permet de reprendre le livre.") + "\n";
    return text;
}

} // namespace tavelo::cli
