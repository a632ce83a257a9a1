#include "filing/scorer.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "base/tr.h"
#include "search/query/folding.h"

namespace tavelo::filing {

namespace {

// BM25's constants, as commonly used.
constexpr double kK1 = 1.2;
constexpr double kB = 0.75;
// The nearest documents that count for a subject's "mêmes mots que N documents".
constexpr std::size_t kNeighbours = 10;

double Saturated(double tf, double length, double average)
{
    return tf * (kK1 + 1) / (tf + kK1 * (1 - kB + kB * length / std::max(average, 1.0)));
}

std::uint64_t MaskedHash(std::string_view value, std::size_t masked)
{
    std::uint64_t h = 1469598103934665603ull;
    for (std::size_t i = 0; i < value.size(); ++i) {
        h ^= i == masked ? 1u : static_cast<unsigned char>(value[i]);
        h *= 1099511628211ull;
    }
    return h;
}

std::string IdentifierKey(const Identifier& id)
{
    return id.kind == IdentifierKind::kEmailDomain ? "@" + id.value : id.value;
}

// How much one shared identifier says that two documents belong together.
// A number that the text names (a contract, a client, a file) is the
// matter's own; an IBAN, a SIRET, an e-mail domain or an unnamed number is as
// often the issuer's, shared by all its matters.
double IdentifierWeight(IdentifierKind kind, ReferenceLabel label)
{
    switch (kind) {
    case IdentifierKind::kIban:
        return 0.3;
    case IdentifierKind::kSiret:
        return 0.2;
    case IdentifierKind::kSiren:
        return 0.2;
    case IdentifierKind::kEmailDomain:
        return 0.15;
    case IdentifierKind::kReference:
        break;
    }
    switch (label) {
    case ReferenceLabel::kContract:
    case ReferenceLabel::kClient:
    case ReferenceLabel::kFile:
    case ReferenceLabel::kTax:
        return 0.92;
    case ReferenceLabel::kInvoice:
        return 0.8;
    case ReferenceLabel::kNone:
        break;
    }
    return 0.4;
}

bool NamesTheMatter(IdentifierKind kind, ReferenceLabel label)
{
    return kind == IdentifierKind::kReference &&
           (label == ReferenceLabel::kContract || label == ReferenceLabel::kClient || label == ReferenceLabel::kFile);
}

// A word as a scan may misread it: the letters OCR confuses made one ("rn"
// and "m", "l", "1" and "i", "c" and "e", "0" and "o"), on both sides, so that
// a scanned bill meets the born-digital ones. False for a word with other
// digits: numbers are left to the identifiers and years.
bool OcrSkeleton(std::string_view word, std::string& out)
{
    out.clear();
    bool letters = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c >= '0' && c <= '9') {
            if (c != '0' && c != '1')
                return false;
            c = c == '0' ? 'o' : 'i';
        } else {
            letters = true;
        }
        if (c == 'r' && i + 1 < word.size() && word[i + 1] == 'n') {
            out += 'm';
            ++i;
            continue;
        }
        out += c == 'l' ? 'i' : c == 'c' ? 'e' : c;
    }
    return letters;
}

struct WordCounter {
    std::unordered_map<std::string, std::uint32_t> counts;
    std::uint32_t length = 0;
};

} // namespace

struct Scorer::Evidence {
    double words = 0;  // the nearest documents, 0 to 1
    double fields = 0; // the subject's own fields, 0 to 1
    std::uint8_t fieldWhere = 0;
    double fieldHit[3] = {0, 0, 0};
    double ids = 0;
    double bestIdWeight = 0;
    std::int64_t bestId = -1;
    bool uniqueMatch = false;
    bool matterMatch = false; // a number naming the matter, seen under this subject
    int neighbours = 0;
};

std::string SubjectLabel(const SubjectFields& fields)
{
    return fields.generalTitle + " / " + fields.name;
}

TextProfile ProfileText(std::string_view text)
{
    WordCounter counter;
    query::ForEachWord(
        text,
        [](void* context, std::string_view folded, std::uint32_t, std::uint32_t) {
            auto& c = *static_cast<WordCounter*>(context);
            if (folded.size() < 2)
                return;
            std::string skeleton;
            if (!OcrSkeleton(query::Stem(folded), skeleton))
                return;
            ++c.counts[skeleton];
            ++c.length;
        },
        &counter);
    TextProfile profile;
    profile.words.assign(counter.counts.begin(), counter.counts.end());
    std::sort(profile.words.begin(), profile.words.end());
    profile.length = counter.length;
    profile.identifiers = ExtractIdentifiers(text);
    profile.years = ExtractYears(text);
    return profile;
}

Scorer::Scorer(ScorerOptions options) : m_options(options) {}

std::uint32_t Scorer::TermId(const std::string& word)
{
    const auto [it, added] = m_termIds.emplace(word, static_cast<std::uint32_t>(m_terms.size()));
    if (added)
        m_terms.emplace_back();
    return it->second;
}

double Scorer::Idf(std::size_t docFrequency) const
{
    const double n = static_cast<double>(m_docs.size());
    const double df = static_cast<double>(docFrequency);
    return std::log(1 + (n - df + 0.5) / (df + 0.5));
}

std::size_t Scorer::AddSubject(SubjectFields fields)
{
    const auto index = static_cast<std::uint32_t>(m_subjects.size());
    Subject subject;
    subject.fields = std::move(fields);
    for (const YearCount& y : ExtractYears(subject.fields.generalTitle + " " + subject.fields.name))
        subject.nameYears.push_back(y.year);
    m_subjects.push_back(std::move(subject));
    const SubjectFields& f = m_subjects.back().fields;

    // The fields' words, each once per subject and place.
    const auto post = [&](const std::string& text, std::uint8_t where) {
        const TextProfile words = ProfileText(text);
        for (const auto& [word, count] : words.words) {
            if (word.size() < 3)
                continue;
            const std::uint32_t id = TermId(word);
            Term& term = m_terms[id];
            if (term.fields.empty() || term.fields.back().subject != index || term.fields.back().where != where) {
                term.fields.push_back({index, where});
                m_subjects[index].fieldTerms[where].push_back(id);
            }
        }
    };
    post(f.generalTitle + " " + f.name, 1);
    post(f.expected, 2);
    for (const Identifier& id : ExtractIdentifiers(f.name + "\n" + f.expected))
        AddIdentifier(index, id);
    return index;
}

void Scorer::SetClosed(std::size_t subject, bool closed)
{
    m_subjects[subject].fields.closed = closed;
}

void Scorer::AddIdentifier(std::uint32_t subject, const Identifier& id)
{
    const std::string key = IdentifierKey(id);
    auto [it, added] = m_idByValue.emplace(key, static_cast<std::uint32_t>(m_ids.size()));
    if (added) {
        IdEntry entry;
        entry.kind = id.kind;
        entry.label = id.label;
        entry.value = id.value;
        entry.shown = id.shown;
        m_ids.push_back(std::move(entry));
        if (id.kind != IdentifierKind::kEmailDomain && key.size() >= 8)
            for (std::size_t i = 0; i < key.size(); ++i)
                m_idMasked.emplace(MaskedHash(key, i), it->second);
    }
    IdEntry& entry = m_ids[it->second];
    if (entry.label == ReferenceLabel::kNone)
        entry.label = id.label;
    for (auto& [s, count] : entry.subjects) {
        if (s == subject) {
            ++count;
            return;
        }
    }
    entry.subjects.emplace_back(subject, 1);
    m_subjects[subject].identifiers.push_back(it->second);
}

void Scorer::AddDocument(std::size_t subject, const TextProfile& profile)
{
    const auto doc = static_cast<std::uint32_t>(m_docs.size());
    m_docs.push_back({static_cast<std::uint32_t>(subject), profile.length});
    m_totalLength += profile.length;
    Subject& s = m_subjects[subject];
    ++s.docs;
    s.length += profile.length;
    for (const auto& [word, count] : profile.words) {
        const std::uint32_t id = TermId(word);
        m_terms[id].docs.push_back({doc, count});
        if (s.terms.insert(id).second)
            ++m_terms[id].subjects;
    }
    for (const Identifier& id : profile.identifiers)
        AddIdentifier(static_cast<std::uint32_t>(subject), id);
}

std::vector<std::uint32_t> Scorer::MatchIdentifier(const Identifier& id, std::vector<bool>& fuzzy) const
{
    std::vector<std::uint32_t> found;
    fuzzy.clear();
    const std::string key = IdentifierKey(id);
    const auto exact = m_idByValue.find(key);
    if (exact != m_idByValue.end()) {
        found.push_back(exact->second);
        fuzzy.push_back(false);
    }
    if (id.kind == IdentifierKind::kEmailDomain || key.size() < 8)
        return found;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const auto [from, to] = m_idMasked.equal_range(MaskedHash(key, i));
        for (auto it = from; it != to; ++it) {
            const std::uint32_t entry = it->second;
            if (std::find(found.begin(), found.end(), entry) != found.end())
                continue;
            if (m_ids[entry].kind == IdentifierKind::kEmailDomain || !SameWithinOneCharacter(m_ids[entry].value, key))
                continue;
            found.push_back(entry);
            fuzzy.push_back(true);
        }
    }
    return found;
}

void Scorer::ScoreWords(const TextProfile& profile, std::vector<Evidence>& evidence, double& novelty) const
{
    const std::size_t n = m_docs.size();
    const double averageDoc = n == 0 ? 1.0 : static_cast<double>(m_totalLength) / static_cast<double>(n);
    std::size_t filled = 0;
    for (const Subject& s : m_subjects)
        filled += s.docs > 0 ? 1 : 0;
    const double averageSubject = filled == 0 ? 1.0 : static_cast<double>(m_totalLength) / static_cast<double>(filled);
    const bool bySubject = m_options.words == WordModel::kSubjectBm25;
    const double average = bySubject ? averageSubject : averageDoc;

    std::vector<double> docScore(bySubject ? 0 : n, 0.0);
    std::vector<std::uint32_t> touched;
    std::vector<double> subjectScore(m_subjects.size(), 0.0);
    std::vector<double> subjectTf(bySubject ? m_subjects.size() : 0, 0.0);
    std::vector<std::uint32_t> subjectTouched;
    const double filledSubjects = static_cast<double>(filled);
    const auto subjectIdf = [&](const Term& term) {
        const double sf = term.subjects;
        return std::log(1 + (filledSubjects - sf + 0.5) / (sf + 0.5));
    };
    double self = 0;
    double unknown = 0; // the part of `self` from words no document holds
    const double maxIdf = Idf(0);

    for (const auto& [word, count] : profile.words) {
        const auto found = m_termIds.find(word);
        const Term* term = found == m_termIds.end() ? nullptr : &m_terms[found->second];
        const std::size_t df = term == nullptr ? 0 : term->docs.size();
        // A word in most documents tells nothing apart.
        if (n >= 20 && df * 2 > n)
            continue;
        const double idf = std::pow(!m_options.subjectIdf ? Idf(df)
                                    : term == nullptr || term->subjects == 0 ? std::log(1 + (filledSubjects + 0.5) / 0.5)
                                                                             : subjectIdf(*term),
                                    m_options.idfPower);
        const double wq = 1 + std::log(static_cast<double>(count));
        const double own = idf * wq * Saturated(count, profile.length, average);
        self += own;
        if (df == 0 && (term == nullptr || term->fields.empty()))
            unknown += own;
        if (term == nullptr)
            continue;
        if (word.size() >= 3)
            for (const FieldPosting& f : term->fields)
                evidence[f.subject].fieldHit[f.where] += idf;
        if (bySubject) {
            for (const Posting& p : term->docs) {
                const std::uint32_t s = m_docs[p.doc].subject;
                if (subjectTf[s] == 0)
                    subjectTouched.push_back(s);
                subjectTf[s] += p.count;
            }
            for (const std::uint32_t s : subjectTouched) {
                subjectScore[s] += idf * wq * Saturated(subjectTf[s], static_cast<double>(m_subjects[s].length), average);
                subjectTf[s] = 0;
            }
            subjectTouched.clear();
        } else {
            for (const Posting& p : term->docs) {
                if (docScore[p.doc] == 0)
                    touched.push_back(p.doc);
                docScore[p.doc] += idf * wq * Saturated(p.count, m_docs[p.doc].length, average);
            }
        }
    }

    if (self > 0)
        novelty = unknown / self;
    if (self > 0) {
        if (bySubject) {
            for (std::size_t s = 0; s < m_subjects.size(); ++s)
                evidence[s].words = std::min(1.0, subjectScore[s] / self);
        } else {
            for (const std::uint32_t d : touched) {
                Evidence& e = evidence[m_docs[d].subject];
                e.words = std::max(e.words, std::min(1.0, docScore[d] / self));
            }
            const std::size_t k = std::min(kNeighbours, touched.size());
            std::partial_sort(touched.begin(), touched.begin() + static_cast<std::ptrdiff_t>(k), touched.end(),
                              [&](std::uint32_t a, std::uint32_t b) { return docScore[a] > docScore[b]; });
            for (std::size_t i = 0; i < k; ++i)
                if (docScore[touched[i]] >= 0.5 * docScore[touched[0]])
                    ++evidence[m_docs[touched[i]].subject].neighbours;
        }
    }

    // A subject's own fields: how much of their words the document holds,
    // up to the weight of three rare words.
    for (std::size_t s = 0; s < m_subjects.size(); ++s) {
        Evidence& e = evidence[s];
        if (e.fieldHit[1] == 0 && e.fieldHit[2] == 0)
            continue;
        for (std::uint8_t where = 1; where <= 2; ++where) {
            if (e.fieldHit[where] == 0)
                continue;
            double total = 0;
            for (const std::uint32_t t : m_subjects[s].fieldTerms[where])
                total += Idf(m_terms[t].docs.size());
            // A field of one common word says little; a long expected text
            // is met by a few of its rare words.
            const double value = std::min(1.0, e.fieldHit[where] / std::clamp(total, 1.5 * maxIdf, 3 * maxIdf));
            if (value > e.fields) {
                e.fields = value;
                e.fieldWhere = where;
            }
        }
    }
}

void Scorer::ScoreIdentifiers(const TextProfile& profile, std::vector<Evidence>& evidence) const
{
    std::vector<bool> fuzzy;
    for (const Identifier& id : profile.identifiers) {
        const std::vector<std::uint32_t> entries = MatchIdentifier(id, fuzzy);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const IdEntry& entry = m_ids[entries[i]];
            const ReferenceLabel label = entry.label != ReferenceLabel::kNone ? entry.label : id.label;
            const double base = IdentifierWeight(entry.kind, label) * (fuzzy[i] ? 0.8 : 1.0);
            const double shared = static_cast<double>(entry.subjects.size());
            // Seen under one subject, it nearly settles it; under several,
            // it says little.
            const double weight = entry.subjects.size() == 1 ? base : base / (shared * shared);
            for (const auto& [s, count] : entry.subjects) {
                Evidence& e = evidence[s];
                e.ids = 1 - (1 - e.ids) * (1 - weight);
                if (weight > e.bestIdWeight) {
                    e.bestIdWeight = weight;
                    e.bestId = entries[i];
                }
                if (entry.subjects.size() == 1)
                    e.uniqueMatch = true;
                if (NamesTheMatter(entry.kind, label))
                    e.matterMatch = true;
            }
        }
    }
}

double Scorer::YearFactor(const Subject& subject, const TextProfile& profile) const
{
    if (subject.nameYears.empty() || profile.years.empty())
        return 1.0;
    const auto named = [&](int year) {
        return std::find(subject.nameYears.begin(), subject.nameYears.end(), year) != subject.nameYears.end();
    };
    // The share of the document's years that the subject's name holds; the
    // year it speaks of most counts for most of it.
    int total = 0, inName = 0;
    for (const YearCount& y : profile.years) {
        total += y.count;
        inName += named(y.year) ? y.count : 0;
    }
    double factor = 0.35 + 0.65 * inName / total;
    if (named(profile.years.front().year))
        factor = std::max(factor, 0.8);
    return factor;
}

Suggestions Scorer::Suggest(const TextProfile& profile, std::size_t count) const
{
    std::vector<Evidence> evidence(m_subjects.size());
    double novelty = 0;
    if (m_options.useWords)
        ScoreWords(profile, evidence, novelty);
    // Words the book has never seen (a new issuer, a new product) make every
    // known subject less likely, unless a number ties the document to one.
    const double unseen = std::clamp(1 - m_options.noveltyWeight * novelty, 0.3, 1.0);
    ScoreIdentifiers(profile, evidence);

    bool namesTheMatter = false;
    for (const Identifier& id : profile.identifiers)
        namesTheMatter = namesTheMatter || NamesTheMatter(id.kind, id.label);

    std::vector<std::pair<double, std::size_t>> ranked;
    for (std::size_t s = 0; s < m_subjects.size(); ++s) {
        const Evidence& e = evidence[s];
        const Subject& subject = m_subjects[s];
        // A subject's own fields stand for its documents until it has some.
        const double words = std::max(e.words, (subject.docs == 0 ? 0.85 : 0.5) * e.fields);
        const double wordPart = std::clamp((words - m_options.wordLow) / m_options.wordSpan, 0.0, 1.0);
        double raw = 1 - (1 - e.ids) * (1 - m_options.wordCeiling * wordPart);
        if (raw <= 0)
            continue;
        if (!e.matterMatch && subject.docs > 0)
            raw *= unseen;
        if (m_options.useYears)
            raw *= YearFactor(subject, profile);
        if (subject.fields.closed)
            raw *= 0.75;
        if (m_options.useConflicts && !e.matterMatch) {
            // A contract, client or file number that is this subject's
            // alone, and the document names its matter with another one: it
            // is another matter. A number in most of the subject's documents
            // that the document lacks says so too, more softly.
            double factor = 1.0;
            for (const std::uint32_t i : subject.identifiers) {
                const IdEntry& entry = m_ids[i];
                if (entry.subjects.size() != 1 || entry.kind != IdentifierKind::kReference)
                    continue;
                if (namesTheMatter && NamesTheMatter(entry.kind, entry.label)) {
                    factor = std::min(factor, 0.4);
                    break;
                }
                const std::uint32_t seen = entry.subjects.front().second;
                if (m_options.signatures && !e.uniqueMatch && subject.docs >= 2 && seen >= 2 && seen * 2 >= subject.docs)
                    factor = std::min(factor, 0.6);
            }
            raw *= factor;
        }
        ranked.emplace_back(raw, s);
    }
    const auto byScore = [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    };
    std::sort(ranked.begin(), ranked.end(), byScore);
    if (m_options.useWords && m_options.contrast > 0)
        Contrast(profile, ranked);
    std::sort(ranked.begin(), ranked.end(), byScore);
    if (ranked.size() > count)
        ranked.resize(count);

    Suggestions out;
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        const auto [raw, s] = ranked[i];
        double score = raw * m_options.marginFloor;
        if (i == 0) {
            // A close second makes the first less certain.
            const double second = ranked.size() > 1 ? ranked[1].first : 0.0;
            const double margin = (raw - second) / raw;
            score = raw * (m_options.marginFloor + (1 - m_options.marginFloor) * std::min(1.0, margin / m_options.marginSpan));
        }
        out.best.push_back({s, std::clamp(score, 0.0, 1.0), Reason(s, evidence[s])});
    }
    out.newSubject = out.best.empty() || out.best.front().score < m_options.newSubjectBelow;
    return out;
}

void Scorer::Contrast(const TextProfile& profile, std::vector<std::pair<double, std::size_t>>& ranked) const
{
    // The nearest subjects share the words of their issuer and its layouts;
    // what tells them apart is the few words that some of them hold and
    // others lack (a person, a town, a product). Each is weighed by how much
    // of those words of the document it holds.
    constexpr std::size_t kCandidates = 5;
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < ranked.size() && candidates.size() < kCandidates; ++i)
        if (m_subjects[ranked[i].second].docs > 0)
            candidates.push_back(i);
    if (candidates.size() < 2)
        return;
    std::vector<double> held(candidates.size(), 0.0);
    double total = 0;
    for (const auto& [word, count] : profile.words) {
        const auto found = m_termIds.find(word);
        if (found == m_termIds.end())
            continue;
        const std::uint32_t id = found->second;
        std::size_t holders = 0;
        for (const std::size_t c : candidates)
            holders += m_subjects[ranked[c].second].terms.count(id);
        if (holders == 0 || holders == candidates.size())
            continue;
        const double weight = std::pow(Idf(m_terms[id].docs.size()), m_options.idfPower);
        total += weight;
        for (std::size_t k = 0; k < candidates.size(); ++k)
            if (m_subjects[ranked[candidates[k]].second].terms.count(id) != 0)
                held[k] += weight;
    }
    if (total <= 0)
        return;
    const double best = *std::max_element(held.begin(), held.end());
    if (best <= 0)
        return;
    for (std::size_t k = 0; k < candidates.size(); ++k)
        ranked[candidates[k]].first *= 1 - m_options.contrast + m_options.contrast * held[k] / best;
}

std::string Scorer::Reason(std::size_t subject, const Evidence& e) const
{
    const SubjectFields& f = m_subjects[subject].fields;
    const std::string title = f.generalTitle;
    const std::string name = f.name;
    if (e.bestId >= 0 && e.bestIdWeight >= 0.2) {
        const IdEntry& id = m_ids[static_cast<std::size_t>(e.bestId)];
        const char* pattern = nullptr;
        switch (id.kind) {
        case IdentifierKind::kIban:
            pattern = TAVELO_TR_NOOP("Filing", "même IBAN %1 que %2 / %3");
            break;
        case IdentifierKind::kSiret:
            pattern = TAVELO_TR_NOOP("Filing", "même SIRET %1 que %2 / %3");
            break;
        case IdentifierKind::kSiren:
            pattern = TAVELO_TR_NOOP("Filing", "même SIREN %1 que %2 / %3");
            break;
        case IdentifierKind::kEmailDomain:
            pattern = TAVELO_TR_NOOP("Filing", "même domaine d'adresse e-mail %1 que %2 / %3");
            break;
        case IdentifierKind::kReference:
            switch (id.label) {
            case ReferenceLabel::kContract:
                pattern = TAVELO_TR_NOOP("Filing", "même numéro de contrat %1 que %2 / %3");
                break;
            case ReferenceLabel::kClient:
                pattern = TAVELO_TR_NOOP("Filing", "même numéro de client %1 que %2 / %3");
                break;
            case ReferenceLabel::kFile:
                pattern = TAVELO_TR_NOOP("Filing", "même numéro de dossier %1 que %2 / %3");
                break;
            case ReferenceLabel::kInvoice:
                pattern = TAVELO_TR_NOOP("Filing", "même numéro de facture %1 que %2 / %3");
                break;
            case ReferenceLabel::kTax:
                pattern = TAVELO_TR_NOOP("Filing", "même numéro fiscal %1 que %2 / %3");
                break;
            case ReferenceLabel::kNone:
                pattern = TAVELO_TR_NOOP("Filing", "même référence %1 que %2 / %3");
                break;
            }
            break;
        }
        return Format(Tr("Filing", pattern), {id.shown, title, name});
    }
    if (e.words >= 0.85 * e.fields && e.words > 0) {
        if (e.neighbours > 1)
            return Format(Tr("Filing", "mêmes mots que %1 documents de %2 / %3"),
                          {std::to_string(e.neighbours), title, name});
        return Format(Tr("Filing", "mêmes mots qu'un document de %1 / %2"), {title, name});
    }
    if (e.fieldWhere == 2)
        return Format(Tr("Filing", "mêmes mots que l'attendu de %1 / %2"), {title, name});
    if (e.fieldWhere == 1)
        return Format(Tr("Filing", "mêmes mots que l'intitulé de %1 / %2"), {title, name});
    return Format(Tr("Filing", "peu d'indices en commun avec %1 / %2"), {title, name});
}

} // namespace tavelo::filing
