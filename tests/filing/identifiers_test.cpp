#include <gtest/gtest.h>

#include "filing/identifiers.h"

namespace tavelo::filing {
namespace {

struct Expected {
    const char* text;
    IdentifierKind kind;
    ReferenceLabel label;
    const char* value;
};

// Every spelling of a number meets the same normal form; the words before it
// say what it is.
TEST(Identifiers, FoundInTheirSpellings)
{
    const Expected cases[] = {
        {"N° de contrat : 1234 5678 90", IdentifierKind::kReference, ReferenceLabel::kContract, "1234567890"},
        {"Contrat n° 1234-5678-90", IdentifierKind::kReference, ReferenceLabel::kContract, "1234567890"},
        {"Référence client 12345678", IdentifierKind::kReference, ReferenceLabel::kClient, "12345678"},
        {"Votre facture FA-2023-0042 du 12/03/2025", IdentifierKind::kReference, ReferenceLabel::kInvoice, "FA20230042"},
        {"N° de dossier :\n4455 6677", IdentifierKind::kReference, ReferenceLabel::kFile, "44556677"},
        {"Numéro fiscal : 12 34 567 890 123", IdentifierKind::kReference, ReferenceLabel::kTax, "1234567890123"},
        // A scan's misreadings: l for 1, S for 5, O for 0.
        {"N° de contrat : l234 S678 9O", IdentifierKind::kReference, ReferenceLabel::kContract, "1234567890"},
        // A number broken over two lines by the scan.
        {"Contrat n° 1234\n5678 90", IdentifierKind::kReference, ReferenceLabel::kContract, "1234567890"},
        {"IBAN FR76 3000 6000 0112 3456 7890 189 BIC AGRIFRPP", IdentifierKind::kIban, ReferenceLabel::kNone,
         "FR7630006000011234567890189"},
        {"IBAN : FR7630006000011234567890189.", IdentifierKind::kIban, ReferenceLabel::kNone, "FR7630006000011234567890189"},
        {"IBAN FR76 3OOO 6000 0112 3456 7890 189", IdentifierKind::kIban, ReferenceLabel::kNone,
         "FR7630006000011234567890189"},
        {"IBAN DE89 3704 0044 0532 0130 00", IdentifierKind::kIban, ReferenceLabel::kNone, "DE89370400440532013000"},
        {"SIRET 552 081 317 66522", IdentifierKind::kSiret, ReferenceLabel::kNone, "55208131766522"},
        {"RCS Paris 552 081 317", IdentifierKind::kSiren, ReferenceLabel::kNone, "552081317"},
        {"Écrivez à service.client@EDF.fr.", IdentifierKind::kEmailDomain, ReferenceLabel::kNone, "edf.fr"},
        // The date after a number stays apart from it.
        {"Contrat 12345678 15/10/2025", IdentifierKind::kReference, ReferenceLabel::kContract, "12345678"},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<Identifier> found = ExtractIdentifiers(c.text);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].kind, c.kind);
        EXPECT_EQ(found[0].label, c.label);
        EXPECT_EQ(found[0].value, c.value);
    }
}

TEST(Identifiers, NotNumbersOfAMatter)
{
    const char* const texts[] = {
        "Montant TTC : 1 234,56 €",
        "Total 1234.56",
        "le 12/03/2025, échéance le 2025-04-15",
        "SA au capital de 150 000 000 euros",
        "Service client 01 23 45 67 89",
        "Tél. 0123456789",
        "n° 12345",
        "Page 1/2",
    };
    for (const char* text : texts)
        EXPECT_TRUE(ExtractIdentifiers(text).empty()) << text;
    // A wrong check digit: no IBAN, only the digits as a reference.
    for (const Identifier& id : ExtractIdentifiers("IBAN FR76 3000 6000 0112 3456 7890 180"))
        EXPECT_NE(id.kind, IdentifierKind::kIban);
}

TEST(Identifiers, ChecksAndTolerance)
{
    EXPECT_TRUE(IsValidIban("FR7630006000011234567890189"));
    EXPECT_FALSE(IsValidIban("FR7630006000011234567890180"));
    EXPECT_FALSE(IsValidIban("FR76300060000112345678901"));
    EXPECT_TRUE(PassesLuhn("552081317"));
    EXPECT_FALSE(PassesLuhn("552081318"));

    const struct {
        const char* a;
        const char* b;
        bool same;
    } pairs[] = {
        {"12345678", "12345678", true},
        {"12345678", "12345679", true},
        {"12345678", "12345699", false},
        {"1234567", "1234568", false}, // too short to forgive a character
        {"12345678", "1234567", false},
    };
    for (const auto& p : pairs)
        EXPECT_EQ(SameWithinOneCharacter(p.a, p.b), p.same) << p.a << " " << p.b;
}

TEST(Identifiers, YearsMostFrequentFirst)
{
    const std::vector<YearCount> years =
        ExtractYears("Avis d'impôt 2025 sur les revenus 2024, établi le 28/07/2025 ; réf. 1999 20251 2040 1989");
    ASSERT_EQ(years.size(), 3u);
    EXPECT_EQ(years[0].year, 2025);
    EXPECT_EQ(years[0].count, 2);
    EXPECT_EQ(years[1].year, 2024);
    EXPECT_EQ(years[2].year, 1999);
}

} // namespace
} // namespace tavelo::filing
