// tavelo-cli cache: what the text cache of the search holds, and emptying it.

#include <iostream>

#include "cli/commands.h"
#include "base/tr.h"
#include "cli/manual.h"
#include "reading/text_cache.h"

namespace tavelo::cli {

namespace {

std::string Mebibytes(std::uint64_t bytes)
{
    const std::uint64_t tenths = (bytes * 10 + (1u << 19)) >> 20;
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " Mio";
}

} // namespace

int RunCache(const Args& args, Streams io)
{
    if (args.size() != 1 || (args[0] != "stats" && args[0] != "clear")) {
        io.err << CommandUsage("cache");
        return 2;
    }
    const std::unique_ptr<TextCache> cache = TextCache::Open();
    if (!cache->Enabled()) {
        io.err << cache->TakeWarning() << '\n';
        return 1;
    }
    if (args[0] == "clear") {
        std::string reason;
        if (!cache->Clear(reason)) {
            io.err << Format(Tr("tavelo-cli", "Impossible de vider le cache des textes des documents : %1."), {Tr("Search", reason)}) << '\n';
            return 1;
        }
        io.out << Tr("tavelo-cli", "Le cache des textes des documents est vide.") << '\n';
        return 0;
    }
    const std::optional<CacheStats> stats = cache->Stats();
    if (!stats) {
        io.err << cache->TakeWarning() << '\n';
        return 1;
    }
    io.out << Format(Tr("tavelo-cli", "Dossier : %1"), {stats->folder}) << '\n'
           << Format(Tr("tavelo-cli", "Documents connus : %1"), {std::to_string(stats->files)}) << '\n'
           << Format(Tr("tavelo-cli", "Textes gardés : %1 (%2)"), {std::to_string(stats->texts), Mebibytes(stats->textBytes)}) << '\n'
           << Format(Tr("tavelo-cli", "Taille sur le disque : %1"), {Mebibytes(stats->fileBytes)}) << '\n'
           << Format(Tr("tavelo-cli", "Taille maximale : %1"), {Mebibytes(stats->capBytes)}) << '\n';
    return 0;
}

} // namespace tavelo::cli
