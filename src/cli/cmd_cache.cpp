// tavelo-cli cache: what the text cache of the search holds, and emptying it.

#include <iostream>

#include "cli/commands.h"
#include "reading/text_cache.h"

namespace tavelo::cli {

namespace {

constexpr const char* kCacheUsage = "Usage : tavelo-cli cache stats|clear\n";

std::string Mebibytes(std::uint64_t bytes)
{
    const std::uint64_t tenths = (bytes * 10 + (1u << 19)) >> 20;
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " Mio";
}

} // namespace

int RunCache(const Args& args, Streams io)
{
    if (args.size() != 1 || (args[0] != "stats" && args[0] != "clear")) {
        io.err << kCacheUsage;
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
            io.err << "Impossible de vider le cache des textes des documents : " << reason << ".\n";
            return 1;
        }
        io.out << "Le cache des textes des documents est vide.\n";
        return 0;
    }
    const std::optional<CacheStats> stats = cache->Stats();
    if (!stats) {
        io.err << cache->TakeWarning() << '\n';
        return 1;
    }
    io.out << "Dossier : " << stats->folder << '\n'
           << "Documents connus : " << stats->files << '\n'
           << "Textes gardés : " << stats->texts << " (" << Mebibytes(stats->textBytes) << ")\n"
           << "Taille sur le disque : " << Mebibytes(stats->fileBytes) << '\n'
           << "Taille maximale : " << Mebibytes(stats->capBytes) << '\n';
    return 0;
}

} // namespace tavelo::cli
