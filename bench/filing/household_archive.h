#pragma once
// A synthetic French household archive to measure the subject suggestions on:
// two years of paperwork from one family (or several, for timings), filed
// under subjects as a careful person would file it.
//
// It is made to be hard where real archives are hard: one issuer behind
// several subjects that differ only by a contract number, an address, a person
// or a year (two EDF contracts, the mutuelle of two people, two tax years);
// the same wording everywhere (montant TTC, échéance, prélèvement, IBAN
// footers, legal notices); three layouts per issuer with their own spelling of
// labels and numbers; letters that carry no reference at all; documents
// scanned and read back badly (0/O, 1/l, rn/m, lost accents, broken lines);
// and about 15 % of documents that belong to a subject the book does not hold
// yet.
//
// Deterministic: the same seed gives the same archive on every machine (its
// own random generator, no <random> distributions).

#include <cstdint>
#include <string>
#include <vector>

namespace tavelo::filing::bench {

// The seed of the archive the replay reports on.
inline constexpr std::uint64_t kArchiveSeed = 20240117;

struct ArchiveSubject {
    std::string generalTitle;
    std::string name;
    std::string expected;
    // The day (YYYY-MM-DD) the subject is made in the book before any of its
    // documents, with its expected text; empty: made when its first document
    // is filed, so that document comes to a book without it.
    std::string createdOn;
    // The day it is closed; empty: it stays open.
    std::string closedOn;
};

struct ArchiveDocument {
    std::string date; // YYYY-MM-DD
    std::size_t subject = 0;
    std::string issuer;
    std::string fileName;
    std::string text;
    bool scanned = false;
};

struct Archive {
    std::vector<ArchiveSubject> subjects;
    std::vector<ArchiveDocument> documents; // in date order
};

// One household per `households` (each with its own names, addresses and
// numbers), over 2024 and 2025.
Archive MakeHouseholdArchive(std::uint64_t seed, int households = 1);

// What OCR makes of a text: look-alike characters swapped, accents lost,
// lines broken or joined, stray marks. `strength` 0 to 1.
std::string DegradeLikeOcr(const std::string& text, std::uint64_t seed, double strength);

} // namespace tavelo::filing::bench
