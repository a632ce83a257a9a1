#pragma once
// The identifiers that tie a document to one matter: contract, client, invoice
// and tax numbers, IBANs, SIRET and SIREN numbers, e-mail domains; and the
// years a text speaks of.
//
// A number is written in many ways ("1234 5678", "1234-5678", "12345678") and
// scans misread it ("l234 S678"): each identifier has a normal form, upper
// case without separators, with the letters that OCR takes for digits read as
// those digits, so that every spelling of it meets the same value.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavelo::filing {

enum class IdentifierKind : std::uint8_t {
    kReference, // a contract, client, invoice, tax or file number
    kIban,
    kSiret,
    kSiren,
    kEmailDomain,
};

// What the words just before a reference call it.
enum class ReferenceLabel : std::uint8_t {
    kNone,
    kContract, // "contrat", "police", "adhérent", "prêt", "licence"
    kClient,   // "client", "abonné", "compte"
    kFile,     // "dossier", "commande", "matricule"
    kInvoice,  // "facture"
    kTax,      // "fiscal", "avis"
};

struct Identifier {
    IdentifierKind kind = IdentifierKind::kReference;
    ReferenceLabel label = ReferenceLabel::kNone;
    std::string value; // the normal form
    std::string shown; // as the text writes it, on one line

    bool operator==(const Identifier&) const = default;
};

// The identifiers of a UTF-8 text, in the order they first appear, each value
// once. Dates ("12/03/2025"), amounts ("1 234,56", "150 000 000 euros"),
// telephone numbers ("01 23 45 67 89") and short numbers (under six
// characters) are not identifiers.
std::vector<Identifier> ExtractIdentifiers(std::string_view text);

struct YearCount {
    int year = 0;
    int count = 0;
};

// The years 1990 to 2039 written in the text (alone, in a date, in a
// reference), the most frequent first and the latest between equals.
std::vector<YearCount> ExtractYears(std::string_view text);

// The normal form of a number as written: upper case, letters and digits only,
// O read as 0, I and L as 1, S as 5, B as 8, Z as 2, G as 6.
std::string NormalizeIdentifier(std::string_view written);

// Whether `compact` (letters and digits, no spaces) is an IBAN whose check
// digits are right (ISO 13616, mod 97).
bool IsValidIban(std::string_view compact);
// The Luhn check of SIREN and SIRET numbers.
bool PassesLuhn(std::string_view digits);

// Two normal forms of the same length that differ in at most one place: one
// character misread by OCR. Values under eight characters must be equal.
bool SameWithinOneCharacter(std::string_view a, std::string_view b);

} // namespace tavelo::filing
