// The accuracy of the subject suggestions on the synthetic household archive:
// each document suggested from the earlier ones, then filed. Prints one table
// per method, and the threshold of "nouveau sujet" against its two costs.
//
//     filing_replay [SEED [HOUSEHOLDS]]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "replay.h"

using namespace tavelo::filing;
using namespace tavelo::filing::bench;

namespace {

void Row(const char* name, const Summary& s)
{
    std::printf("%-34s", name);
    for (int b = 0; b < 5; ++b)
        std::printf(" %5.1f/%5.1f", s.top1[b].Percent(), s.top3[b].Percent());
    std::printf("   %5.1f   %5.1f\n", s.newFlagged.Percent(), s.confidentWrong.Percent());
}

} // namespace

int main(int argc, char** argv)
{
    const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kArchiveSeed;
    const int households = argc > 2 ? std::atoi(argv[2]) : 1;
    const Archive archive = MakeHouseholdArchive(seed, households);
    if (const char* tune = std::getenv("FILING_TUNE")) {
        // Experiments: FILING_TUNE="novelty marginSpan marginFloor wordLow wordSpan wordCeiling threshold"
        ScorerOptions o;
        double threshold = o.newSubjectBelow;
        int subjectIdf = 0;
        std::sscanf(tune, "%lf %lf %lf %lf %lf %lf %lf %d %lf %lf", &o.noveltyWeight, &o.marginSpan, &o.marginFloor,
                    &o.wordLow, &o.wordSpan, &o.wordCeiling, &threshold, &subjectIdf, &o.idfPower, &o.contrast);
        o.subjectIdf = subjectIdf != 0;
        for (std::uint64_t s : {kArchiveSeed, std::uint64_t{1}, std::uint64_t{2}, std::uint64_t{3}, std::uint64_t{4}}) {
            const Archive a = MakeHouseholdArchive(s, households);
            Row(("seed " + std::to_string(s)).c_str(), Summarise(Replay(a, Method::kScorer, o), threshold));
        }
        return 0;
    }
    int scanned = 0;
    for (const ArchiveDocument& d : archive.documents)
        scanned += d.scanned ? 1 : 0;
    const std::vector<Outcome> truth = Replay(archive, Method::kLastFromIssuer);
    int fresh = 0;
    int buckets[4] = {0, 0, 0, 0};
    for (const Outcome& o : truth) {
        if (o.newSubject) {
            ++fresh;
            continue;
        }
        ++buckets[o.earlier == 0 ? 0 : o.earlier == 1 ? 1 : o.earlier <= 5 ? 2 : 3];
    }
    std::printf("Archive: seed %llu, %zu subjects, %zu documents (%d scanned), %d (%.1f %%) of subjects not in the book yet\n",
                static_cast<unsigned long long>(seed), archive.subjects.size(), archive.documents.size(), scanned, fresh,
                100.0 * fresh / static_cast<double>(archive.documents.size()));
    std::printf("Documents by earlier documents of their subject: 0 (made in advance) %d, 1: %d, 2-5: %d, 6+: %d\n\n",
                buckets[0], buckets[1], buckets[2], buckets[3]);

    const double threshold = ScorerOptions{}.newSubjectBelow;
    std::printf("top-1/top-3 %% by earlier documents   %-11s %-11s %-11s %-11s %-11s  new->\"nouveau\"  confident wrong\n",
                "0", "1", "2-5", "6+", ">=3");
    ScorerOptions nearest;
    Row("nearest documents (BM25, chosen)", Summarise(Replay(archive, Method::kScorer, nearest), threshold));
    ScorerOptions bySubject;
    bySubject.words = WordModel::kSubjectBm25;
    Row("subject as one text (BM25)", Summarise(Replay(archive, Method::kScorer, bySubject), threshold));
    ScorerOptions noConflicts;
    noConflicts.useConflicts = false;
    Row("nearest, without number conflicts", Summarise(Replay(archive, Method::kScorer, noConflicts), threshold));
    ScorerOptions noYears;
    noYears.useYears = false;
    Row("nearest, without years", Summarise(Replay(archive, Method::kScorer, noYears), threshold));
    ScorerOptions idsOnly;
    idsOnly.useWords = false;
    idsOnly.useYears = false;
    idsOnly.useConflicts = false;
    Row("baseline: identifiers only", Summarise(Replay(archive, Method::kScorer, idsOnly), threshold));
    Row("baseline: last from same issuer", Summarise(truth, 0.5));

    std::printf("\nThreshold of \"nouveau sujet\" (nearest documents):\n  threshold  top-1 >=3  top-1 =1  new flagged  confident wrong\n");
    const std::vector<Outcome> chosen = Replay(archive, Method::kScorer, nearest);
    for (double t = 0.20; t <= 0.701; t += 0.05) {
        const Summary s = Summarise(chosen, t);
        std::printf("  %9.2f  %9.1f  %8.1f  %11.1f  %15.1f\n", t, s.top1[4].Percent(), s.top1[1].Percent(),
                    s.newFlagged.Percent(), s.confidentWrong.Percent());
    }
    if (std::getenv("FILING_REPLAY_MISTAKES") != nullptr) {
        std::printf("\nMistakes at threshold %.2f:\n", threshold);
        for (const Outcome& o : chosen) {
            const bool flagged = o.score < threshold;
            if (o.newSubject ? flagged : (!flagged && o.firstRight))
                continue;
            const ArchiveDocument& d = archive.documents[o.document];
            const ArchiveSubject& t = archive.subjects[d.subject];
            std::printf("%s %s%s [%d earlier%s] -> %s %.2f (%s)\n", d.date.c_str(), t.generalTitle.c_str(),
                        (" / " + t.name).c_str(), o.earlier, o.newSubject ? ", new" : "", o.first.c_str(), o.score,
                        o.reason.c_str());
        }
    }
    return 0;
}
