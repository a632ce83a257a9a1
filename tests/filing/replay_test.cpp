#include <gtest/gtest.h>

#include "replay.h"

namespace tavelo::filing::bench {
namespace {

// The accuracy targets on one household's two years, replayed in date order
// with the default scorer (bench/filing/filing_replay prints the whole table).
TEST(Replay, MeetsTheAccuracyTargets)
{
    const Archive archive = MakeHouseholdArchive(kArchiveSeed);
    ASSERT_GE(archive.subjects.size(), 40u);
    const Summary s = Summarise(Replay(archive, Method::kScorer), ScorerOptions{}.newSubjectBelow);
    EXPECT_GE(s.top1[4].Percent(), 90.0);
    EXPECT_GE(s.top3[4].Percent(), 97.0);
    EXPECT_GE(s.top1[1].Percent(), 65.0);
    EXPECT_GE(s.top3[1].Percent(), 85.0);
    EXPECT_GE(s.newFlagged.Percent(), 60.0);
    EXPECT_LT(s.confidentWrong.Percent(), 5.0);
    // The corpus is not so easy that a baseline reaches the targets.
    const Summary issuer = Summarise(Replay(archive, Method::kLastFromIssuer), 0.5);
    EXPECT_LT(issuer.top1[4].Percent(), 90.0);
    ScorerOptions idsOnly;
    idsOnly.useWords = idsOnly.useYears = idsOnly.useConflicts = false;
    EXPECT_LT(Summarise(Replay(archive, Method::kScorer, idsOnly), idsOnly.newSubjectBelow).top1[4].Percent(), 90.0);
}

} // namespace
} // namespace tavelo::filing::bench
