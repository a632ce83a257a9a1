#pragma once
// Where a new document belongs, learnt from the book itself: the texts of the
// documents already filed under each subject, and each subject's general
// title, name and expected text, so that a subject without a document can be
// proposed too.
//
// Identifiers come first: a contract or client number, an IBAN, a SIRET seen
// under one subject only nearly settles it (one misread character allowed).
// Words come next, as the filed documents nearest to the new one (BM25 over
// the documents; see bench/filing for the models tried and their figures).
// The year the document speaks of decides between subjects named after
// years ("Impôts 2025", "Impôts 2024"); a closed subject is less likely than
// an open one; a subject whose contract or client number differs from the
// document's is unlikely. A confirmed filing counts from the next suggestion
// on: nothing is trained.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "filing/identifiers.h"

namespace tavelo::filing {

// What the scorer keeps of a text.
struct TextProfile {
    // Folded words reduced to their singular, with their counts; words with
    // digits are left to the identifiers and years.
    std::vector<std::pair<std::string, std::uint32_t>> words;
    std::uint32_t length = 0; // words counted
    std::vector<Identifier> identifiers;
    std::vector<YearCount> years;
};

TextProfile ProfileText(std::string_view text);

// How words weigh (the replay in bench/filing compares them).
enum class WordModel {
    kNearestDocuments, // BM25 against each filed document; a subject is as near as its nearest one
    kSubjectBm25,      // BM25 against each subject's documents taken as one text
};

struct ScorerOptions {
    WordModel words = WordModel::kNearestDocuments;
    bool useWords = true;       // off: identifiers alone
    bool useYears = true;
    bool useConflicts = true;   // a differing contract or client number lowers a subject
    bool signatures = false;    // so does a number in most of its documents that the document lacks
    // How word similarity becomes confidence, and how much a close second
    // lowers the first.
    double wordLow = 0.08, wordSpan = 0.6, wordCeiling = 0.75, marginFloor = 0.55, marginSpan = 0.15;
    // How much words the book has never seen lower every known subject.
    double noveltyWeight = 1.5;
    // Words weigh by how few subjects hold them rather than how few documents.
    bool subjectIdf = false;
    // Rare words weigh this power of their idf: above 1, the few words of a
    // matter outweigh the many of a shared layout.
    double idfPower = 1.5;
    // How much the words that tell the nearest subjects apart reorder them.
    double contrast = 0.4;
    // Below this score the first choice is "nouveau sujet" (calibrated on the
    // replay of bench/filing).
    double newSubjectBelow = 0.43;
};

struct SubjectFields {
    std::string generalTitle;
    std::string name;
    std::string expected;
    bool closed = false;
};

struct Suggestion {
    std::size_t subject = 0;
    double score = 0; // 0 to 1
    std::string reason; // French, translated
};

struct Suggestions {
    std::vector<Suggestion> best; // best first
    // Nothing reaches the threshold: a new subject is proposed first.
    bool newSubject = true;
};

class Scorer {
public:
    explicit Scorer(ScorerOptions options = {});

    const ScorerOptions& Options() const { return m_options; }

    std::size_t AddSubject(SubjectFields fields);
    void SetClosed(std::size_t subject, bool closed);
    // A document filed under `subject`: it counts from the next Suggest on.
    void AddDocument(std::size_t subject, const TextProfile& profile);

    std::size_t SubjectCount() const { return m_subjects.size(); }
    std::size_t DocumentCount() const { return m_docs.size(); }
    const SubjectFields& Fields(std::size_t subject) const { return m_subjects[subject].fields; }

    // Up to `count` subjects, best first.
    Suggestions Suggest(const TextProfile& profile, std::size_t count = 3) const;

private:
    struct Posting {
        std::uint32_t doc;
        std::uint32_t count;
    };
    struct FieldPosting {
        std::uint32_t subject;
        std::uint8_t where; // 1: name or general title, 2: expected text
    };
    struct Term {
        std::vector<Posting> docs;
        std::vector<FieldPosting> fields;
        std::uint32_t subjects = 0; // subjects whose documents hold it
    };
    struct IdEntry {
        IdentifierKind kind = IdentifierKind::kReference;
        ReferenceLabel label = ReferenceLabel::kNone;
        std::string value;
        std::string shown;
        // The subjects it was seen under, with the number of their documents
        // (and fields) that hold it.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> subjects;
    };
    struct Doc {
        std::uint32_t subject = 0;
        std::uint32_t length = 0;
    };
    struct Subject {
        SubjectFields fields;
        std::vector<int> nameYears;
        std::uint32_t docs = 0;
        std::uint64_t length = 0;
        std::vector<std::uint32_t> identifiers; // IdEntry indexes
        std::unordered_set<std::uint32_t> terms; // the words of its documents
        std::vector<std::uint32_t> fieldTerms[3]; // its own fields' words, by FieldPosting::where
    };
    struct Evidence;

    std::uint32_t TermId(const std::string& word);
    void AddIdentifier(std::uint32_t subject, const Identifier& id);
    double Idf(std::size_t docFrequency) const;
    std::vector<std::uint32_t> MatchIdentifier(const Identifier& id, std::vector<bool>& fuzzy) const;
    void ScoreWords(const TextProfile& profile, std::vector<Evidence>& evidence, double& novelty) const;
    void ScoreIdentifiers(const TextProfile& profile, std::vector<Evidence>& evidence) const;
    double YearFactor(const Subject& subject, const TextProfile& profile) const;
    void Contrast(const TextProfile& profile, std::vector<std::pair<double, std::size_t>>& ranked) const;
    std::string Reason(std::size_t subject, const Evidence& evidence) const;

    ScorerOptions m_options;
    std::unordered_map<std::string, std::uint32_t> m_termIds;
    std::vector<Term> m_terms;
    std::vector<Doc> m_docs;
    std::uint64_t m_totalLength = 0;
    std::vector<Subject> m_subjects;
    std::unordered_map<std::string, std::uint32_t> m_idByValue;
    // Each identifier of eight characters or more under each of its values
    // with one character masked: a misread character still meets it.
    std::unordered_multimap<std::uint64_t, std::uint32_t> m_idMasked;
    std::vector<IdEntry> m_ids;
};

// "Impôts / 2025": how suggestions and reasons name a subject.
std::string SubjectLabel(const SubjectFields& fields);

} // namespace tavelo::filing
