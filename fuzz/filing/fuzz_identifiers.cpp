// The identifiers and years of any text: no crash, and what is found holds
// together (one normal form for numbers, checked IBANs and SIRET numbers, each value
// once, years in their range, the most frequent first).
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "filing/identifiers.h"
#include "filing/scorer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavelo::filing;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::set<std::string> seen;
    for (const Identifier& id : ExtractIdentifiers(text)) {
        if (id.value.empty() || !seen.insert(std::to_string(static_cast<int>(id.kind)) + ":" + id.value).second)
            __builtin_trap();
        // An IBAN keeps its letters as written (they are part of it).
        if (id.kind != IdentifierKind::kEmailDomain && id.kind != IdentifierKind::kIban &&
            NormalizeIdentifier(id.value) != id.value)
            __builtin_trap();
        if (id.kind == IdentifierKind::kIban && !IsValidIban(id.value))
            __builtin_trap();
        if ((id.kind == IdentifierKind::kSiret || id.kind == IdentifierKind::kSiren) && !PassesLuhn(id.value))
            __builtin_trap();
        if (!SameWithinOneCharacter(id.value, id.value))
            __builtin_trap();
    }
    const std::vector<YearCount> years = ExtractYears(text);
    for (std::size_t i = 0; i < years.size(); ++i) {
        if (years[i].year < 1990 || years[i].year > 2039 || years[i].count <= 0)
            __builtin_trap();
        if (i > 0 && (years[i].count > years[i - 1].count ||
                      (years[i].count == years[i - 1].count && years[i].year > years[i - 1].year)))
            __builtin_trap();
    }
    // Two values read from the input itself compare alike either way round.
    const std::size_t half = size / 2;
    const std::string a = NormalizeIdentifier(text.substr(0, half));
    const std::string b = NormalizeIdentifier(text.substr(half));
    if (SameWithinOneCharacter(a, b) != SameWithinOneCharacter(b, a))
        __builtin_trap();
    ProfileText(text);
    return 0;
}
