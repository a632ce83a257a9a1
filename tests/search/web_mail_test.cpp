#include <gtest/gtest.h>

#include "book/file_io.h"
#include "reading/formats/format.h"
#include "reading/formats/html.h"
#include "search/document_search.h"
#include "search/search_pattern.h"
#include "test_files.h"

namespace tavelo {
namespace {

using test::Fixture;
using test::TempDir;

struct Expectation {
    const char* word;
    bool found;
};

// Each word searched in the document at `path` through a reader process and
// the cache, as the search does.
void ExpectWords(const std::string& path, DocumentKind kind, std::initializer_list<Expectation> words)
{
    for (const Expectation& e : words) {
        const DocumentMatch match = SearchDocumentFile(path, kind, SearchPattern(e.word, {}));
        EXPECT_EQ(match.status, e.found ? DocumentMatch::kFound : DocumentMatch::kNotFound)
            << e.word << " " << match.reason;
    }
}

// The pieces of a page read in this process, joined by " | ".
std::string PageText(std::string_view bytes, std::string_view charset = {})
{
    CollectingSink sink;
    std::string reason;
    if (!ReadHtmlPage(bytes, charset, sink, reason))
        return "<" + reason + ">";
    std::string joined;
    sink.Text().AnyPiece([&](const TextPiece& piece) {
        joined += (joined.empty() ? "" : " | ") + std::string(piece.text);
        return false;
    });
    return joined;
}

TEST(WebPage, TheTextABrowserShows)
{
    ExpectWords(Fixture("recu.html"), DocumentKind::kHtml,
                {{"Récapitulatif de commande n° 4521", true}, {"crème brûlée & café", true}, {"l’été dernier", true},
                 {"42,50 €", true}, {"Hélène Fleuriot", true}, {"Retrait en.magasin", true}, {"colis   suivi", true},
                 {"Total", true}, {"TotalTTC", false}, {"findébut", false}, {"enmagasin", false},
                 {"zorglub", false}, {"farfadet", false}, {"gargouille", false}, {"lutin", false},
                 {"chimère", false}, {"&eacute;", false}, {"charset", false}});
    EXPECT_EQ(PageText("<title> Le  titre </title><p>a <b>b</b>\n c</p><p>d</p><ul><li>e<li>f</ul>"
                       "<table><tr><td>g<td>h</table>"),
              "Le titre | a b c\nd\ne\nf\ng\th");
}

TEST(WebPage, CharacterSetChosenAsBrowsersDo)
{
    const struct {
        std::string bytes;
        const char* charset; // what the page came with
        const char* text;
    } cases[] = {
        {"caf\xE9 &#150; &#x20AC;", "", "café – €"},                               // undeclared 8-bit: Windows-1252
        {"caf\xC3\xA9", "", "café"},                                               // undeclared, valid UTF-8
        {"<meta charset=\"iso-8859-15\"><p>\xA4", "", "€"},                       // the meta's character set
        {"<!-- <meta charset=koi8-r> --><meta http-equiv='Content-Type' content='text/html; charset=KOI8-R'>"
         "\xF0\xD2\xC9\xD7\xC5\xD4", "", "Привет"},                                // commented-out meta ignored
        {"\xEF\xBB\xBF<meta charset=windows-1252>caf\xC3\xA9", "", "café"},         // the byte-order mark wins
        {std::string("\xFF\xFE<\0p\0>\0\xE9\0", 10), "", "é"},                    // UTF-16 with its mark
        {"<meta charset=utf-16><p>caf\xC3\xA9", "", "café"},                       // a page cannot be UTF-16 unmarked
        {"<meta charset=utf-8><p>caf\xE9", "iso-8859-1", "café"},                  // a mail part's charset first
        {"<meta charset=\"../../etc/x\"><p>caf\xE9", "", "café"},                  // no converter from a path
        {std::string("a\0b<p>c", 7), "", "ab\nc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PageText(c.bytes, c.charset), c.text) << c.bytes;
}

TEST(WebPage, HostileShapesAreBounded)
{
    const auto nested = [](int depth, const char* tag) {
        std::string page;
        for (int i = 0; i < depth; ++i)
            page += std::string("<") + tag + ">";
        return page + "fond";
    };
    EXPECT_EQ(PageText(nested(kMaxHtmlDepth - 10, "div")), "fond");
    EXPECT_EQ(PageText(nested(100000, "div")), "<la page imbrique ses éléments trop profondément>");
    EXPECT_EQ(PageText(nested(100000, "b")), "<la page imbrique ses éléments trop profondément>");
    TempDir dir;
    const DocumentMatch deep =
        SearchDocumentFile(dir.Write("profond.html", nested(100000, "span")), DocumentKind::kHtml, SearchPattern("fond", {}));
    EXPECT_EQ(deep.status, DocumentMatch::kUnreadable);
    // Unclosed scripts, comments and tags, and every cut of a real page.
    for (const char* page : {"<script>fond", "<!-- fond", "<p title='fond", "<title>fond", "</p></div>fond</x>"})
        EXPECT_NE(PageText(page).find('<'), 0u) << page;
    const std::string real = ReadWholeFile(Fixture("recu.html"));
    for (std::size_t size = 0; size < real.size(); size += 7)
        PageText(real.substr(0, size));
}

TEST(PlainText, NamesPeopleUseAreReadAsText)
{
    TempDir dir;
    for (const char* name : {"notes.md", "comptes.csv", "journal.log", "lisez-moi.text"})
        ExpectWords(dir.Write(name, "Relevé ; facture zorglub\n"), KindOfExtension(name + std::string(name).rfind('.') + 1),
                    {{"facture ZORGLUB", true}, {"absent", false}});
}

TEST(Mail, HeadersTextPartsAndAttachmentsAreRead)
{
    ExpectWords(Fixture("courrier.eml"), DocumentKind::kMail,
                {// headers, RFC 2047
                 {"Relevé trimestriel – été 2023", true}, {"Agnès Dupont", true}, {"Bérénice Martin", true},
                 {"Comptabilité Lévêque", true}, {"14/03/2023", true}, {"14 Mar 2023", true},
                 // quoted-printable (a soft break inside the word), HTML in base64, ISO-8859-1 in base64
                 {"l'échéancier", true}, {"remboursement anticipé", true}, {"Marmelade à l’orange", true},
                 {"Hélicoptère de la société", true},
                 // attachments: NOTE.TXT, .doc (literal), .pdf, .xls (cells), a forwarded message, a saved .eml
                 {"café crème", true}, {"Quincaillerie", true}, {"quittance de loyer", true}, {"Zèbre rayé", true},
                 {"Avis d'échéance Gribouille", true}, {"Pimprenelle", true}, {"Tournesol", true},
                 // not shown: a script, an attachment of no kind read, the MIME structure
                 {"zorglub", false}, {"Chapiteau", false}, {"limite", false}, {"Content-Type", false},
                 {"quoted-printable", false}});
}

TEST(Mail, TextPartsAreDecoded)
{
    const std::string head = "From: a@example.fr\nMIME-Version: 1.0\n";
    const struct {
        std::string message;
        const char* word;
    } cases[] = {
        {head + "Content-Type: text/plain; charset=utf-8; format=flowed\n\nune phrase \ncoup\xC3\xA9" "e\n",
         "une phrase coupée"},
        {head + "Content-Type: text/plain; format=flowed; delsp=yes\n\nrembour \nsement\n", "remboursement"},
        {head + "Subject: caf\xE9 cr\xE8me\n\nsans en-t\xEAte de jeu\n", "café crème"},
        {head + "\nsans en-t\xEAte de jeu\n", "en-tête"},
        {head + "Content-Type: text/html; charset=windows-1252\n\n<p>caf\xE9</p>", "café"},
        {head + "Subject: =?iso-8859-1?q?R=E9sum=E9?=\n\nx", "Résumé"},
        // A web page saved by a browser as one file (.mht)
        {head + "Content-Type: multipart/related; type=\"text/html\"; boundary=\"b\"\n\n--b\n"
                "Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n"
                "<p>Bon de livrai=\nson</p>\n--b--\n",
         "Bon de livraison"},
        // A damaged attachment leaves the rest readable.
        {head + "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\n\nOrnithorynque\n--b\n"
                "Content-Type: application/pdf; name=\"a.pdf\"\n\n%PDF-1.4 rien\n--b--\n",
         "Ornithorynque"},
    };
    for (const auto& c : cases) {
        DocumentText text;
        std::string reason;
        ASSERT_TRUE(ReadDocumentText(DocumentKind::kMail, {c.message, {}}, text, reason)) << reason;
        EXPECT_TRUE(MatchesText(text, SearchPattern(c.word, {}))) << c.message;
    }
}

// One message inside the next, `depth` times, each level the way `wrap`
// makes it.
std::string Nest(int depth, std::string (*wrap)(const std::string& inner, int level))
{
    std::string message = "Subject: fond\n\nzorglub\n";
    for (int level = depth; level > 0; --level)
        message = wrap(message, level);
    return message;
}

TEST(Mail, HostileShapesEndAsOneUnreadableDocument)
{
    const auto attachedMessage = [](const std::string& inner, int) {
        return "Content-Type: message/rfc822\n\n" + inner;
    };
    const auto attachedFile = [](const std::string& inner, int level) {
        const std::string b = "b" + std::to_string(level);
        return "Content-Type: multipart/mixed; boundary=" + b + "\n\n--" + b +
               "\nContent-Type: application/octet-stream; name=\"x.eml\"\n\n" + inner + "\n--" + b + "--\n";
    };
    std::string manyParts = "Content-Type: multipart/mixed; boundary=b\n\n";
    for (int i = 0; i < 30000; ++i)
        manyParts += "--b\n\nx\n";
    std::string manyHeaders;
    for (int i = 0; i < 200000; ++i)
        manyHeaders += "X: y\n";
    const struct {
        std::string message;
        const char* reason;
    } cases[] = {
        {Nest(100, attachedMessage), "les pièces du message sont imbriquées trop profondément"},
        {Nest(100, attachedFile), "les pièces du message sont imbriquées trop profondément"},
        {manyParts, "le message a trop de parties"},
        {manyHeaders + "\nzorglub\n", "le message a trop de lignes d'en-tête"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const DocumentMatch match =
            SearchDocumentFile(dir.Write("hostile.eml", c.message), DocumentKind::kMail, SearchPattern("zorglub", {}));
        EXPECT_EQ(match.status, DocumentMatch::kUnreadable);
        EXPECT_EQ(match.reason, c.reason);
    }
    // Within the bounds, the deepest text is found.
    ExpectWords(dir.Write("ok.eml", Nest(10, attachedFile)), DocumentKind::kMail, {{"zorglub", true}});
    const std::string real = ReadWholeFile(Fixture("courrier.eml"));
    for (std::size_t size = 0; size < real.size(); size += 997) {
        DocumentText text;
        std::string reason;
        ReadDocumentText(DocumentKind::kMail, {std::string_view(real).substr(0, size), {}}, text, reason);
    }
}

} // namespace
} // namespace tavelo
