// The merge of two versions of a book: one table, base / mine / theirs -> result.

#include <gtest/gtest.h>

#include "book/version_merge.h"

using namespace tavelo;

namespace {

// "Titre/nom:attendu[doc,doc]" and "+" at the end for a closed subject.
struct Version {
    std::string title;
    std::string name;
    std::string expected;
    std::vector<std::string> docs;
    int state = 0;
};

SubjectList Make(const std::vector<Version>& versions)
{
    SubjectList list;
    for (const Version& s : versions) {
        auto subject = std::make_unique<CTenorels>(s.title, s.name, s.state);
        subject->SetExpectedText(s.expected);
        for (const auto& d : s.docs)
            subject->AddDocumentPath(d);
        list.push_back(std::move(subject));
    }
    return list;
}

std::string Show(const SubjectList& list)
{
    std::string out;
    for (const auto& s : list) {
        out += s->GetGeneralTitle() + "/" + s->GetSubjectName() + ":" + s->GetExpectedText() + "[";
        for (const auto& d : s->GetDocumentPaths())
            out += d + ",";
        out += "]" + std::string(s->GetState() ? "+" : "") + " ";
    }
    return out;
}

const Version kEdf{"EDF", "2006", "facture", {"/a.pdf"}};
const Version kEdfMine{"EDF", "2006", "facture payée", {"/a.pdf"}};
const Version kEdfTheirs{"EDF", "2006", "facture", {"/a.pdf", "/b.pdf"}};
const Version kEdfTheirsText{"EDF", "2006", "facture relancée", {"/a.pdf", "/c.pdf"}};
const Version kEdfClosed{"EDF", "2006", "facture", {"/a.pdf"}, 1};
const Version kGaz{"Gaz", "2006", "", {}};
const Version kImpots{"Impôts", "2007", "avis", {"/i.pdf"}};
const Version kImpotsMine{"Impôts", "2007", "avis reçu", {"/i.pdf"}};

TEST(VersionMergeTest, OneTable)
{
    const std::string sep = ExpectedTextsSeparator();
    struct Case {
        const char* name;
        bool hasBase;
        std::vector<Version> base, mine, theirs, result;
        bool needsUser;
    };
    const Case cases[] = {
        {"nothing changed", true, {kEdf, kGaz}, {kEdf, kGaz}, {kEdf, kGaz}, {kEdf, kGaz}, false},
        {"added on each side, placed after their neighbour", true, {kEdf}, {kEdf, kImpots}, {kGaz, kEdf},
         {kGaz, kEdf, kImpots}, false},
        {"added on both sides alike", true, {}, {kGaz}, {kGaz}, {kGaz}, false},
        {"changed on my side", true, {kEdf, kGaz}, {kEdfMine, kGaz}, {kEdf, kGaz}, {kEdfMine, kGaz}, false},
        {"changed on their side", true, {kEdf, kGaz}, {kEdf, kGaz}, {kEdfTheirs, kGaz}, {kEdfTheirs, kGaz}, false},
        {"changed alike on both sides", true, {kEdf}, {kEdfMine}, {kEdfMine}, {kEdfMine}, false},
        {"changed on both: one text, other documents", true, {kEdf}, {kEdfMine}, {kEdfTheirs},
         {{"EDF", "2006", "facture payée", {"/a.pdf", "/b.pdf"}}}, true},
        {"changed on both: both texts kept, documents united in order", true, {kEdf}, {kEdfMine}, {kEdfTheirsText},
         {{"EDF", "2006", "facture payée" + sep + "facture relancée", {"/a.pdf", "/c.pdf"}}}, true},
        {"changed on both: their state, my text", true, {kEdf}, {kEdfMine}, {kEdfClosed},
         {{"EDF", "2006", "facture payée", {"/a.pdf"}, 1}}, true},
        {"removed on my side, unchanged on theirs", true, {kEdf, kGaz}, {kGaz}, {kEdf, kGaz}, {kGaz}, false},
        {"removed on their side, unchanged on mine", true, {kEdf, kGaz}, {kEdf, kGaz}, {kGaz}, {kGaz}, false},
        {"removed on their side, changed on mine: kept", true, {kEdf, kGaz}, {kEdfMine, kGaz}, {kGaz},
         {kEdfMine, kGaz}, true},
        {"removed on my side, changed on theirs: kept", true, {kEdf, kGaz}, {kGaz}, {kEdfTheirs, kGaz},
         {kEdfTheirs, kGaz}, true},
        {"removed on both sides", true, {kEdf, kGaz}, {kGaz}, {kGaz}, {kGaz}, false},
        {"two of one name: the second changed on their side", true, {kEdf, kEdf}, {kEdf, kEdf}, {kEdf, kEdfTheirs},
         {kEdf, kEdfTheirs}, false},
        {"many changes at once", true, {kEdf, kGaz, kImpots}, {kEdfMine, kImpotsMine}, {kEdf, kGaz, kImpots, kEdfClosed},
         {kEdfMine, kImpotsMine, kEdfClosed}, false},
        {"no base: theirs added, same kept once", false, {}, {kEdf}, {kEdf, kGaz}, {kEdf, kGaz}, false},
        {"no base: nothing is removed", false, {}, {kEdf, kGaz}, {kGaz}, {kEdf, kGaz}, false},
        {"no base: different on both sides, united", false, {}, {kEdfMine}, {kEdfTheirs},
         {{"EDF", "2006", "facture payée" + sep + "facture", {"/a.pdf", "/b.pdf"}}}, true},
    };
    for (const Case& c : cases) {
        const SubjectList base = Make(c.base);
        const MergeResult r = MergeVersions(c.hasBase ? &base : nullptr, Make(c.mine), Make(c.theirs));
        EXPECT_EQ(Show(r.merged), Show(Make(c.result))) << c.name;
        EXPECT_EQ(r.NeedsUser(), c.needsUser) << c.name;
    }
}

TEST(VersionMergeTest, ReviewListsEachSidesChanges)
{
    const SubjectList base = Make({kEdf, kGaz, kImpots});
    const MergeResult r = MergeVersions(&base, Make({kEdfMine, kImpots, {"Banque", "2008", "", {}}}),
                                        Make({kEdf, kGaz, kImpotsMine}));
    EXPECT_EQ(r.Count(MergeSide::kMine, MergeChange::kChanged), 1u);
    EXPECT_EQ(r.Count(MergeSide::kMine, MergeChange::kAdded), 1u);
    EXPECT_EQ(r.Count(MergeSide::kMine, MergeChange::kRemoved), 1u);
    EXPECT_EQ(r.Count(MergeSide::kTheirs, MergeChange::kChanged), 1u);
    ASSERT_EQ(r.entries.size(), 4u);
    EXPECT_EQ(r.entries.back().name, "2006");
    EXPECT_EQ(r.entries.back().generalTitle, "Gaz");
}

} // namespace
