// Writes the corpus of the whole-process comparisons (bench/search/
// whole_process.sh) into a folder, with the books that point at it:
//
//   FOLDER/files/         1,000 text files, 500 PDF, 250 .doc, 250 .xls
//   FOLDER/text.tvo       the 1,000 text files
//   FOLDER/all.tvo        the 2,000 documents
//   FOLDER/one.tvo        one text file
//   FOLDER/text.expected  the text files that hold the word, one path a line
//   FOLDER/all.expected   the same for the 2,000 documents
//
// One document per subject, named after it, so that the subjects a search
// prints name the files another tool lists.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "book/book_file.h"
#include "corpus.h"

namespace {

using namespace tavelo;

void WriteBook(const std::string& path, const std::vector<std::string>& files)
{
    SubjectList book;
    for (const std::string& file : files) {
        book.push_back(std::make_unique<CTenorels>("Corpus", std::filesystem::path(file).filename().string(), 0));
        book.back()->AddDocumentPath(file);
    }
    const std::string bytes = WriteSubjectList(book);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteExpected(const std::string& path, std::vector<std::string> files)
{
    std::sort(files.begin(), files.end());
    std::ofstream out(path);
    for (const std::string& file : files)
        if (bench::HoldsSoughtWord(file))
            out << file << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " FOLDER\n";
        return 2;
    }
    const std::string folder = std::filesystem::absolute(argv[1]).string();
    std::filesystem::create_directories(folder + "/files");
    bench::CorpusCounts counts;
    counts.text = 1000;
    counts.pdf = 500;
    counts.word = 250;
    counts.spreadsheet = 250;
    const bench::Corpus corpus = bench::MakeCorpus(folder + "/files", counts);
    std::vector<std::string> all = corpus.text;
    for (const auto* kind : {&corpus.pdf, &corpus.word, &corpus.spreadsheet})
        all.insert(all.end(), kind->begin(), kind->end());
    WriteBook(folder + "/text.tvo", corpus.text);
    WriteBook(folder + "/all.tvo", all);
    WriteBook(folder + "/one.tvo", {corpus.text.front()});
    WriteExpected(folder + "/text.expected", corpus.text);
    WriteExpected(folder + "/all.expected", all);
    std::cout << folder << '\n';
    return 0;
}
