#pragma once
// The archive replayed in date order, as a person would file it: each document
// is suggested from the documents filed before it, then filed under its true
// subject (a subject the book lacks is made then).

#include <string>
#include <vector>

#include "filing/scorer.h"
#include "household_archive.h"

namespace tavelo::filing::bench {

enum class Method {
    kScorer,
    // The subject of the last document from the same issuer.
    kLastFromIssuer,
};

struct Outcome {
    int earlier = 0;      // documents its subject had already
    bool newSubject = false; // its subject was not in the book yet
    double score = 0;     // of the first suggestion; 0 when none
    bool firstRight = false;
    bool inFirstThree = false;
    std::size_t document = 0;  // its place in the archive
    std::string first, reason; // the first suggestion, for the mistakes' listing
};

std::vector<Outcome> Replay(const Archive& archive, Method method, const ScorerOptions& options = {});

struct Rate {
    int hits = 0;
    int of = 0;
    double Percent() const { return of == 0 ? 0.0 : 100.0 * hits / of; }
};

struct Summary {
    // By documents the true subject already had: 0, 1, 2-5, 6 and more
    // (the subject in the book), then 3 and more.
    Rate top1[5], top3[5];
    Rate newFlagged;     // documents of new subjects given "nouveau sujet"
    Rate confidentWrong; // a subject proposed first, and the wrong one
};

// A first suggestion under `threshold` counts as "nouveau sujet".
Summary Summarise(const std::vector<Outcome>& outcomes, double threshold);

} // namespace tavelo::filing::bench
