#pragma once
// A fast test that rules texts out before the regular expression runs: the
// longest run of ASCII characters that every match must contain, sought with
// memmem or a case-blind Boyer-Moore-Horspool. Because ASCII bytes mean the
// same in UTF-8 and Windows-1252, the test also holds on the raw bytes of a
// text file in either encoding.

#include <string>
#include <string_view>

namespace tavelo {

class LiteralFilter {
public:
    // Nothing is ruled out.
    LiteralFilter() = default;
    // `literal` is a text that every match contains as such (valid UTF-8).
    // Without `matchCase`, letters that have a non-ASCII case variant in
    // Unicode ("k" and the Kelvin sign, "s" and the long s) are left out of the
    // run, so that the filter never rules out a real match.
    LiteralFilter(std::string_view literal, bool matchCase);

    bool Active() const { return !m_run.empty(); }
    // The run sought (lower-cased unless case counts).
    const std::string& Run() const { return m_run; }
    // False only when no match can occur in `bytes`.
    bool MayMatch(std::string_view bytes) const;

private:
    std::string m_run; // lower-cased when !m_matchCase
    bool m_matchCase = true;
    unsigned char m_skip[256] = {};
};

} // namespace tavelo
