#include "replay.h"

#include <algorithm>
#include <map>

namespace tavelo::filing::bench {

std::vector<Outcome> Replay(const Archive& archive, Method method, const ScorerOptions& options)
{
    Scorer scorer(options);
    std::vector<long> inBook(archive.subjects.size(), -1); // the scorer's index
    std::vector<int> count(archive.subjects.size(), 0);
    std::vector<std::size_t> order(archive.subjects.size());
    for (std::size_t s = 0; s < order.size(); ++s)
        order[s] = s;
    // Subjects made in advance, by the day they are made.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return archive.subjects[a].createdOn < archive.subjects[b].createdOn;
    });
    std::size_t nextCreated = 0;
    std::map<std::string, std::vector<std::size_t>> byIssuer; // most recent last

    const auto make = [&](std::size_t s) {
        const ArchiveSubject& a = archive.subjects[s];
        inBook[s] = static_cast<long>(scorer.AddSubject({a.generalTitle, a.name, a.expected, false}));
    };
    std::vector<Outcome> outcomes;
    for (const ArchiveDocument& doc : archive.documents) {
        for (; nextCreated < order.size(); ++nextCreated) {
            const ArchiveSubject& a = archive.subjects[order[nextCreated]];
            if (a.createdOn.empty()) continue;
            if (a.createdOn > doc.date) break;
            make(order[nextCreated]);
        }
        for (std::size_t s = 0; s < archive.subjects.size(); ++s)
            if (inBook[s] >= 0 && !archive.subjects[s].closedOn.empty() && archive.subjects[s].closedOn <= doc.date)
                scorer.SetClosed(static_cast<std::size_t>(inBook[s]), true);

        Outcome o;
        o.document = outcomes.size();
        o.earlier = count[doc.subject];
        o.newSubject = inBook[doc.subject] < 0;
        const TextProfile profile = ProfileText(doc.text);
        std::vector<long> proposed;
        if (method == Method::kScorer) {
            const Suggestions suggestions = scorer.Suggest(profile);
            for (const Suggestion& s : suggestions.best)
                proposed.push_back(static_cast<long>(s.subject));
            o.score = suggestions.best.empty() ? 0.0 : suggestions.best.front().score;
            if (!suggestions.best.empty()) {
                o.first = SubjectLabel(scorer.Fields(suggestions.best.front().subject));
                o.reason = suggestions.best.front().reason;
            }
        } else {
            const auto& recent = byIssuer[doc.issuer];
            for (auto it = recent.rbegin(); it != recent.rend() && proposed.size() < 3; ++it)
                if (std::find(proposed.begin(), proposed.end(), inBook[*it]) == proposed.end())
                    proposed.push_back(inBook[*it]);
            o.score = proposed.empty() ? 0.0 : 1.0;
        }
        const long truth = inBook[doc.subject];
        o.firstRight = truth >= 0 && !proposed.empty() && proposed.front() == truth;
        o.inFirstThree = truth >= 0 && std::find(proposed.begin(), proposed.end(), truth) != proposed.end();
        outcomes.push_back(o);

        if (inBook[doc.subject] < 0)
            make(doc.subject);
        scorer.AddDocument(static_cast<std::size_t>(inBook[doc.subject]), profile);
        ++count[doc.subject];
        byIssuer[doc.issuer].push_back(doc.subject);
    }
    return outcomes;
}

Summary Summarise(const std::vector<Outcome>& outcomes, double threshold)
{
    Summary s;
    for (const Outcome& o : outcomes) {
        const bool flagged = o.score < threshold || o.score <= 0;
        ++s.confidentWrong.of;
        if (!flagged && !o.firstRight)
            ++s.confidentWrong.hits;
        if (o.newSubject) {
            ++s.newFlagged.of;
            s.newFlagged.hits += flagged ? 1 : 0;
            continue;
        }
        const int bucket = o.earlier == 0 ? 0 : o.earlier == 1 ? 1 : o.earlier <= 5 ? 2 : 3;
        for (const int b : {bucket, o.earlier >= 3 ? 4 : -1}) {
            if (b < 0) continue;
            ++s.top1[b].of;
            ++s.top3[b].of;
            s.top1[b].hits += !flagged && o.firstRight ? 1 : 0;
            s.top3[b].hits += o.inFirstThree ? 1 : 0;
        }
    }
    return s;
}

} // namespace tavelo::filing::bench
