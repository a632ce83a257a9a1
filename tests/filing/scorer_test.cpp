#include <gtest/gtest.h>

#include "filing/scorer.h"

namespace tavelo::filing {
namespace {

// A small book: subjects and the texts of their documents.
class SmallBook : public ::testing::Test {
protected:
    std::size_t Subject(const char* title, const char* name, const char* expected = "", bool closed = false)
    {
        return scorer.AddSubject({title, name, expected, closed});
    }
    void File(std::size_t subject, const std::string& text) { scorer.AddDocument(subject, ProfileText(text)); }
    Suggestions Ask(const std::string& text) const { return scorer.Suggest(ProfileText(text)); }
    std::string First(const std::string& text) const
    {
        const Suggestions s = Ask(text);
        return s.best.empty() ? "" : SubjectLabel(scorer.Fields(s.best.front().subject));
    }

    Scorer scorer;
};

std::string Bill(const std::string& contract, const std::string& place, int year)
{
    const std::string y = std::to_string(year);
    return "EDF Votre facture d'électricité du 12/03/" + y + "\nN° de contrat : " + contract +
           "\nAdresse de consommation : " + place + "\nConsommation relevée 420 kWh, option Base, abonnement, "
           "acheminement.\nMontant TTC 84,20 €, échéance le 28/03/" + y + ", prélèvement SEPA.\n";
}

std::string TaxNotice(int year)
{
    const std::string y = std::to_string(year);
    const std::string income = std::to_string(year - 1);
    return "Direction générale des Finances publiques\nAvis d'impôt " + y + " sur les revenus de " + income +
           "\nNuméro fiscal : 12 34 567 890 123\nImpôt sur le revenu et prélèvements sociaux, revenu fiscal de "
           "référence.\nDate limite de paiement : 15/09/" + y + "\nÉtabli le 28/07/" + y + "\n";
}

TEST_F(SmallBook, ANumberSeenUnderOneSubjectBeatsTheWords)
{
    const std::size_t house = Subject("EDF", "Maison");
    const std::size_t flat = Subject("EDF", "Appartement");
    File(house, Bill("1234 5678 90", "12 rue des Lilas 44000 Nantes", 2024));
    File(flat, Bill("9876 5432 10", "3 chemin des Pins 56340 Carnac", 2024));
    // The words of the house's bill, the flat's contract: the flat, for that
    // number, even misread once by a scan.
    for (const char* contract : {"9876 5432 10", "9876-5432-1O", "9876 5432 19"}) {
        SCOPED_TRACE(contract);
        const Suggestions s = Ask(Bill(contract, "12 rue des Lilas 44000 Nantes", 2025));
        ASSERT_FALSE(s.best.empty());
        EXPECT_EQ(s.best.front().subject, flat);
        EXPECT_NE(s.best.front().reason.find("même numéro de contrat"), std::string::npos) << s.best.front().reason;
        EXPECT_NE(s.best.front().reason.find("EDF / Appartement"), std::string::npos);
    }
    // Another contract than either: another matter.
    EXPECT_TRUE(Ask(Bill("5555 6666 77", "12 rue des Lilas 44000 Nantes", 2025)).newSubject);
}

TEST_F(SmallBook, TheYearDecidesBetweenTwoTaxYears)
{
    const std::size_t y2024 = Subject("Impôts", "2024");
    const std::size_t y2025 = Subject("Impôts", "2025");
    File(y2024, TaxNotice(2024));
    File(y2025, TaxNotice(2025));
    EXPECT_EQ(First(TaxNotice(2025)), "Impôts / 2025");
    EXPECT_EQ(First(TaxNotice(2024)), "Impôts / 2024");
    (void)y2024;
    (void)y2025;
}

TEST_F(SmallBook, AnEmptySubjectIsProposedFromItsExpectedText)
{
    File(Subject("EDF", "Maison"), Bill("1234 5678 90", "12 rue des Lilas 44000 Nantes", 2025));
    File(Subject("Impôts", "2024"), TaxNotice(2024));
    Subject("Impôts", "2025", "attendre l'avis de taxe foncière");
    const Suggestions s = Ask("Avis de taxe foncière 2025\nTaxe foncière sur les propriétés bâties, "
                              "12 rue des Lilas 44000 Nantes. Montant à payer 812 €. Le 01/09/2025");
    ASSERT_FALSE(s.best.empty());
    EXPECT_FALSE(s.newSubject);
    EXPECT_EQ(SubjectLabel(scorer.Fields(s.best.front().subject)), "Impôts / 2025");
    EXPECT_NE(s.best.front().reason.find("l'attendu"), std::string::npos) << s.best.front().reason;
}

TEST_F(SmallBook, AnOpenSubjectBeforeAClosedOne)
{
    const std::string letter = "Mairie de Nantes\nFacture de restauration scolaire, repas du mois, école élémentaire "
                               "Jules Verne, tarif du quotient familial.\n";
    File(Subject("Scolarité", "Cantine ancienne", "", true), letter);
    File(Subject("Scolarité", "Cantine"), letter);
    EXPECT_EQ(First(letter), "Scolarité / Cantine");
}

TEST_F(SmallBook, NothingNearIsANewSubjectUntilFiled)
{
    const std::size_t house = Subject("EDF", "Maison");
    File(house, Bill("1234 5678 90", "12 rue des Lilas 44000 Nantes", 2024));
    const std::string vet = "Clinique vétérinaire des Pins\nConsultation du chat Filou, vaccin contre le typhus, "
                            "antiparasitaire.\nDossier 778899 total 64,50 €\n";
    Suggestions s = Ask(vet);
    EXPECT_TRUE(s.newSubject);
    for (const Suggestion& one : s.best) {
        EXPECT_GE(one.score, 0.0);
        EXPECT_LE(one.score, 1.0);
    }
    // Filed once, it counts from the next suggestion on.
    const std::size_t pets = Subject("Animaux", "Filou");
    File(pets, vet);
    s = Ask("Clinique vétérinaire des Pins\nRappel de vaccination du chat Filou. Dossier 778899\n");
    ASSERT_FALSE(s.best.empty());
    EXPECT_FALSE(s.newSubject);
    EXPECT_EQ(s.best.front().subject, pets);
    EXPECT_LE(s.best.size(), 3u);
}

} // namespace
} // namespace tavelo::filing
