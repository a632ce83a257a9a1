#include "corpus.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <zip.h>

#include "book/file_io.h"
#include "book/text.h"

namespace tavelo::bench {

namespace {

const char* const kWords[] = {"facture", "électricité", "impôts", "avis", "courrier", "banque", "assurance",
                              "contrat", "résiliation", "paiement", "échéance", "relevé", "compte", "maison",
                              "voiture", "santé", "mutuelle", "retraite", "quittance", "loyer", "été"};

std::string Words(std::mt19937& rng, int count, bool withSought)
{
    std::string out;
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kWords) - 1);
    const int at = withSought ? static_cast<int>(rng() % static_cast<unsigned>(count)) : -1;
    for (int i = 0; i < count; ++i) {
        out += (i == at) ? kSoughtWord : kWords[pick(rng)];
        out += (i % 12 == 11) ? '\n' : ' ';
    }
    return out;
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A PDF of three pages of text in Helvetica; only ASCII so that no escaping
// or font encoding is needed.
std::string MakePdf(std::mt19937& rng, bool withSought)
{
    std::vector<std::string> objects;
    const int pages = 3;
    std::string kids;
    for (int p = 0; p < pages; ++p)
        kids += std::to_string(4 + 2 * p) + " 0 R ";
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    const int soughtPage = withSought ? static_cast<int>(rng() % pages) : -1;
    for (int p = 0; p < pages; ++p) {
        std::string content = "BT /F1 10 Tf 40 800 Td 13 TL\n";
        std::istringstream lines(Words(rng, 480, p == soughtPage));
        std::string line;
        while (std::getline(lines, line)) {
            std::string ascii;
            for (const char c : line)
                if (static_cast<unsigned char>(c) < 0x80)
                    ascii += c;
            content += "(" + ascii + ") '\n";
        }
        content += "ET";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R >> >> "
                          "/Contents " + std::to_string(5 + 2 * p) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    }
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t off : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", off);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// A saved web page: its words in paragraphs and table cells, accents as
// entities, a script and a style the search leaves out.
std::string MakeHtml(std::mt19937& rng, bool withSought)
{
    std::string words = Words(rng, 1200, withSought);
    std::string body;
    std::size_t line = 0;
    for (std::size_t end; (end = words.find('\n', line)) != std::string::npos; line = end + 1) {
        std::string text = words.substr(line, end - line);
        for (std::size_t at; (at = text.find("é")) != std::string::npos;)
            text.replace(at, 2, "&eacute;");
        body += (line % 3 == 0) ? "<tr><td>" + text + "</td><td>12,50&nbsp;&euro;</td></tr>\n" : "<p>" + text + "</p>\n";
    }
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Facture</title>"
           "<style>td { padding: 2px }</style><script>var x = 1;</script></head><body><table>\n" +
           body + "</table></body></html>\n";
}

// A message as mail programs write it: a text part in quoted-printable and
// the same text as HTML in base64.
std::string MakeMail(std::mt19937& rng, bool withSought)
{
    const std::string words = Words(rng, 600, withSought);
    std::string qp;
    std::size_t column = 0;
    for (const unsigned char c : words) {
        const std::string piece = c == '\n' ? "\n" : (c >= 0x80 || c == '=') ? [c] {
            char hex[4];
            std::snprintf(hex, sizeof hex, "=%02X", c);
            return std::string(hex);
        }() : std::string(1, static_cast<char>(c));
        if (c != '\n' && column + piece.size() > 75) {
            qp += "=\n";
            column = 0;
        }
        qp += piece;
        column = c == '\n' ? 0 : column + piece.size();
    }
    const std::string html = "<html><body><p>" + words + "</p></body></html>";
    static const char* const digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string base64;
    for (std::size_t i = 0; i < html.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, html.size() - i);
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 3; ++k)
            v = v << 8 | (k < n ? static_cast<unsigned char>(html[i + k]) : 0);
        for (std::size_t k = 0; k < 4; ++k)
            base64 += k <= n ? digits[(v >> (18 - 6 * k)) & 63] : '=';
        if (i % 57 == 54)
            base64 += '\n';
    }
    return "From: =?utf-8?q?Agn=C3=A8s?= <agnes@example.fr>\nTo: compta@example.fr\n"
           "Subject: =?utf-8?q?Relev=C3=A9?=\nDate: Tue, 14 Mar 2023 10:30:00 +0100\nMIME-Version: 1.0\n"
           "Content-Type: multipart/alternative; boundary=\"limite\"\n\n--limite\n"
           "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n\n" +
           qp + "\n--limite\nContent-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: base64\n\n" +
           base64 + "\n--limite--\n";
}

// Replaces, in the raw bytes of an office file, every occurrence of the ASCII
// words given (stored one byte or two bytes per character) by random letters,
// and the first one by the sought word and spaces when asked: the file stays
// valid.
std::string Vary(std::string bytes, const std::vector<std::string>& words, std::mt19937& rng, bool withSought)
{
    bool placed = !withSought;
    for (const std::string& word : words) {
        for (const int width : {1, 2}) {
            std::string needle;
            for (const char c : word) {
                needle += c;
                if (width == 2)
                    needle += '\0';
            }
            for (std::size_t at = bytes.find(needle); at != std::string::npos; at = bytes.find(needle, at + 1)) {
                std::string letters;
                for (std::size_t i = 0; i < word.size(); ++i)
                    letters += static_cast<char>('a' + rng() % 26);
                if (!placed && word.size() >= std::string(kSoughtWord).size()) {
                    // Spaces after it: the sought word stands alone, as a
                    // word search needs, not as the beginning of a longer one.
                    letters = kSoughtWord + std::string(word.size() - std::string(kSoughtWord).size(), ' ');
                    placed = true;
                }
                for (std::size_t i = 0; i < letters.size(); ++i)
                    bytes[at + i * static_cast<std::size_t>(width)] = letters[i];
            }
        }
    }
    return bytes;
}

// A copy of an office fixture whose part `name` has `marker` replaced by the
// lines of `words`, each joined to the next by `join` (the XML that ends a
// paragraph and starts the next). libzip writes the part deflated, as office
// software does.
void WritePackage(const std::string& fixture, const std::string& path, const char* name, const char* marker,
                  const std::string& words, const std::string& join)
{
    std::filesystem::copy_file(fixture, path, std::filesystem::copy_options::overwrite_existing);
    zip_t* zip = zip_open(path.c_str(), 0, nullptr);
    zip_file_t* file = zip_fopen(zip, name, 0);
    std::string part;
    char buffer[8192];
    for (zip_int64_t n; (n = zip_fread(file, buffer, sizeof buffer)) > 0;)
        part.append(buffer, static_cast<std::size_t>(n));
    zip_fclose(file);
    std::string text;
    std::istringstream lines(words);
    for (std::string line; std::getline(lines, line);)
        text += (text.empty() ? "" : join) + line;
    part.replace(part.find(marker), std::string_view(marker).size(), text);
    zip_source_t* source = zip_source_buffer(zip, part.data(), part.size(), 0);
    zip_file_add(zip, name, source, ZIP_FL_OVERWRITE);
    zip_close(zip); // writes the archive while `part` still lives
}

// Rows of one cell per line, for the workbooks.
std::string SheetRows(const std::string& words, bool openDocument)
{
    std::string rows;
    std::istringstream lines(words);
    int row = 10;
    for (std::string line; std::getline(lines, line); ++row)
        rows += openDocument ? "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>" + line +
                                   "</text:p></table:table-cell></table:table-row>"
                             : "<row r=\"" + std::to_string(row) + "\"><c r=\"A" + std::to_string(row) +
                                   "\" t=\"inlineStr\"><is><t>" + line + "</t></is></c></row>";
    return rows;
}

// The documents number `i` of every kind hold the sought word.
void MarkSought(Corpus& corpus, int i)
{
    for (const auto* kind : {&corpus.text, &corpus.pdf, &corpus.word, &corpus.spreadsheet, &corpus.html, &corpus.mail,
                             &corpus.docx, &corpus.xlsx, &corpus.pptx, &corpus.odt, &corpus.ods, &corpus.odp})
        if (static_cast<int>(kind->size()) > i)
            corpus.withWord.insert((*kind)[static_cast<std::size_t>(i)]);
}

} // namespace

std::unordered_set<std::string>& LastCorpus()
{
    static std::unordered_set<std::string> withWord;
    return withWord;
}

Corpus MakeCorpus(int perKind)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tavelo-bench-XXXXXX").string();
    return MakeCorpus(::mkdtemp(pattern.data()), CorpusCounts::Each(perKind));
}

Corpus MakeCorpus(const std::string& folder, const CorpusCounts& counts)
{
    Corpus corpus;
    corpus.folder = folder;
    std::mt19937 rng(2006);
    const std::string fixtures = TAVELO_DOCUMENT_FIXTURES;
    const std::string doc = ReadWholeFile(fixtures + "/lettre.doc");
    const std::string xls = ReadWholeFile(fixtures + "/comptes.xls");
    const int most = std::max({counts.text, counts.pdf, counts.word, counts.spreadsheet, counts.html, counts.mail,
                               counts.office});
    for (int i = 0; i < most; ++i) {
        const bool sought = i % 20 == 7;
        const std::string n = std::to_string(i);
        if (i < counts.text) {
            std::string text = Words(rng, 1200, sought);
            if (i % 2 == 1)
                text = *Utf8ToCp1252(text);
            corpus.text.push_back(corpus.folder + "/t" + n + ".txt");
            Write(corpus.text.back(), text);
        }
        if (i < counts.pdf) {
            corpus.pdf.push_back(corpus.folder + "/p" + n + ".pdf");
            Write(corpus.pdf.back(), MakePdf(rng, sought));
        }
        if (i < counts.word) {
            corpus.word.push_back(corpus.folder + "/w" + n + ".doc");
            Write(corpus.word.back(), Vary(doc, {"Salutations", "Quincaillerie", "Madame", "Monsieur", "Veuillez"}, rng, sought));
        }
        if (i < counts.spreadsheet) {
            corpus.spreadsheet.push_back(corpus.folder + "/x" + n + ".xls");
            Write(corpus.spreadsheet.back(), Vary(xls, {"Assurance", "habitation", "Montant"}, rng, sought));
        }
        if (i < counts.html) {
            corpus.html.push_back(corpus.folder + "/h" + n + ".html");
            Write(corpus.html.back(), MakeHtml(rng, sought));
        }
        if (i < counts.mail) {
            corpus.mail.push_back(corpus.folder + "/m" + n + ".eml");
            Write(corpus.mail.back(), MakeMail(rng, sought));
        }
        if (i >= counts.office) {
            if (sought)
                MarkSought(corpus, i);
            continue;
        }
        const std::string base = corpus.folder + "/o" + n;
        corpus.docx.push_back(base + ".docx");
        WritePackage(fixtures + "/courrier.docx", corpus.docx.back(), "word/document.xml", "Salutations distinguées.",
                     Words(rng, 1200, sought), "</w:t></w:r></w:p><w:p><w:r><w:t>");
        corpus.odt.push_back(base + ".odt");
        WritePackage(fixtures + "/courrier.odt", corpus.odt.back(), "content.xml", "Salutations distinguées.",
                     Words(rng, 1200, sought), "</text:p><text:p>");
        corpus.pptx.push_back(base + ".pptx");
        WritePackage(fixtures + "/diaporama.pptx", corpus.pptx.back(), "ppt/slides/slide1.xml",
                     "Bilan annuel du Kangourou", Words(rng, 1200, sought), "</a:t></a:r></a:p><a:p><a:r><a:t>");
        corpus.odp.push_back(base + ".odp");
        WritePackage(fixtures + "/diaporama.odp", corpus.odp.back(), "content.xml", "Bilan annuel du Kangourou",
                     Words(rng, 1200, sought), "</text:p><text:p>");
        corpus.xlsx.push_back(base + ".xlsx");
        WritePackage(fixtures + "/budget.xlsx", corpus.xlsx.back(), "xl/worksheets/sheet1.xml", "</sheetData>",
                     SheetRows(Words(rng, 1200, sought), false) + "</sheetData>", "");
        corpus.ods.push_back(base + ".ods");
        WritePackage(fixtures + "/budget.ods", corpus.ods.back(), "content.xml", "</table:table>",
                     SheetRows(Words(rng, 1200, sought), true) + "</table:table>", "");
        if (sought)
            MarkSought(corpus, i);
    }
    LastCorpus() = corpus.withWord;
    return corpus;
}

bool HoldsSoughtWord(const std::string& path)
{
    return LastCorpus().count(path) != 0;
}

void RemoveCorpus(const Corpus& corpus)
{
    std::error_code ignored;
    std::filesystem::remove_all(corpus.folder, ignored);
}

} // namespace tavelo::bench
