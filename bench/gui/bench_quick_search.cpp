// A keystroke's quick search in the book window, from the field's new text to
// the tree that shows the subjects found (the pause the field waits after a
// keystroke left out), over books of 2,000 and 24,000 documents whose texts
// are all in the cache; then the same while the window reads 2,000 new
// documents in the background. Each answer is checked against the subjects
// that were given the words. The reference, in the same run, is the search
// dialog's search of the same word over the same book, warm.

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <filesystem>
#include <random>

#include "app/main_frame.h"
#include "app/splitter.h"
#include "app/tenorel_app.h"
#include "app/tenorel_doc.h"
#include "app/ui_prompts.h"
#include "book/file_io.h"
#include "book/tenorels.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "views/quick_search_field.h"
#include "views/quick_search_runner.h"
#include "views/tenorel_view.h"

using namespace tavelo;
using namespace tavelo::gui;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPerSubject = 10;

const char* const kWords[] = {"montant", "échéance", "prélèvement", "contrat", "facture", "relevé", "compte", "banque",
                              "assurance", "mutuelle", "impôt", "revenu", "loyer", "quittance", "électricité",
                              "abonnement", "période", "référence", "client", "service", "paiement", "total", "mois"};

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

// Letters of `count` documents, one subject in ten holding "zorglub" and
// "taxe foncière" in one of its documents. Returns the book's path.
std::string WriteBook(const std::string& name, int count, const char* extension, std::size_t& withWords)
{
    std::mt19937 random(static_cast<unsigned>(count));
    const std::string folder = Folder().path().toStdString() + "/" + name;
    std::filesystem::create_directories(folder);
    SubjectList subjects;
    withWords = 0;
    for (int s = 0; s * kPerSubject < count; ++s) {
        auto subject = std::make_unique<CTenorels>("Titre " + std::to_string(s % 40), "Sujet " + std::to_string(s), 0);
        for (int d = 0; d < kPerSubject && s * kPerSubject + d < count; ++d) {
            std::string text;
            for (int w = 0; w < 150; ++w)
                text += std::string(kWords[random() % std::size(kWords)]) + (w % 12 == 11 ? "\n" : " ");
            if (s % 10 == 3 && d == 4) {
                text += "\nAVIS D'IMPÔT — Taxe FONCIÈRE, dossier ZORGLUB\n";
                ++withWords;
            }
            const std::string path = folder + "/doc" + std::to_string(s * kPerSubject + d) + extension;
            if (std::string(extension) == ".rtf")
                text = "{\\rtf1\\ansi " + text + "}";
            std::ofstream(path, std::ios::binary) << text;
            subject->AddDocumentPath(path);
        }
        subjects.push_back(std::move(subject));
    }
    const std::string book = folder + ".tvo";
    WriteNewFile(book, WriteSubjectList(subjects), true);
    // The texts go to the cache before the window opens.
    if (std::string(extension) == ".txt") {
        QuickSearch search(subjects, QuickSearchRunner::Source().Cache());
        search.ReadMissing(QuickSearchRunner::Source(), nullptr, {}, 2);
        QuickSearchRunner::Source().Cache().FinishIndexing();
    }
    return book;
}

struct Window {
    std::unique_ptr<CTenorelApp> app;
    CSplitter* window = nullptr;
};

Window Open(const std::string& book)
{
    Window w;
    w.app = std::make_unique<CTenorelApp>();
    if (!w.app->InitInstance({QString::fromStdString(book)}))
        std::abort();
    w.window = w.app->MainFrame()->ActiveBookWindow();
    return w;
}

// Types `text` and waits for the tree; the time in milliseconds.
double Keystroke(QuickSearchField* field, const QString& text)
{
    bool answered = false;
    const auto connection = QObject::connect(field, &QuickSearchField::answered, [&] { answered = true; });
    const auto start = Clock::now();
    field->Edit()->setText(text);
    field->SearchNow();
    while (!answered)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    QObject::disconnect(connection);
    return ms;
}

int SubjectsShown(CTenorelView* tree)
{
    int shown = 0;
    if (QTreeWidgetItem* root = tree->GetRootItem())
        for (int t = 0; t < root->childCount(); ++t)
            shown += root->child(t)->childCount();
    return shown;
}

void BM_Keystroke(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    std::size_t expected = 0;
    const std::string book = WriteBook("book" + std::to_string(count), count, ".txt", expected);
    Window w = Open(book);
    QuickSearchField* field = w.window->QuickSearch();
    while (field->Runner()->Reading())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const QString queries[] = {QStringLiteral("zorglub"), QStringLiteral("\"taxe fonciere\""), QStringLiteral("impots zorg*")};
    Keystroke(field, QStringLiteral("zorglub")); // the book's copy is made once
    double worst = 0;
    int i = 0;
    for (auto _ : state) {
        const double ms = Keystroke(field, queries[i++ % 3]);
        if (SubjectsShown(w.window->Tree()) != static_cast<int>(expected)) {
            state.SkipWithError("the tree does not show the subjects that hold the words");
            return;
        }
        worst = std::max(worst, ms);
        state.SetIterationTime(ms / 1000);
    }
    // The reference: the search dialog's search of the word, warm.
    const SearchPattern pattern("zorglub", {});
    RunSearch(w.window->GetDocument()->Subjects(), pattern, kScopeAll);
    const auto start = Clock::now();
    const SearchResult result = RunSearch(w.window->GetDocument()->Subjects(), pattern, kScopeAll);
    const double reference = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (result.hits.size() != expected)
        state.SkipWithError("the reference search does not find the same subjects");
    state.counters["worst_ms"] = worst;
    state.counters["reference_ms"] = reference;
    state.counters["ratio_to_reference"] = reference > 0 ? worst / reference : 0;
}

// Keystrokes while 2,000 RTF letters are read in the background.
void BM_KeystrokeWhileReading(benchmark::State& state)
{
    std::size_t expected = 0;
    const std::string book = WriteBook("reading", 2000, ".rtf", expected);
    Window w = Open(book);
    QuickSearchField* field = w.window->QuickSearch();
    double worst = 0;
    int during = 0;
    for (auto _ : state) {
        const double ms = Keystroke(field, during % 2 == 0 ? QStringLiteral("zorglub") : QStringLiteral("taxe fonciere"));
        if (SubjectsShown(w.window->Tree()) > static_cast<int>(expected)) {
            state.SkipWithError("the tree shows subjects that do not hold the words");
            return;
        }
        if (field->Runner()->Reading()) {
            ++during;
            worst = std::max(worst, ms);
        }
        state.SetIterationTime(ms / 1000);
    }
    while (field->Runner()->Reading())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    Keystroke(field, QStringLiteral("zorglub"));
    if (SubjectsShown(w.window->Tree()) != static_cast<int>(expected))
        state.SkipWithError("once read, the tree does not show every subject that holds the word");
    state.counters["keystrokes_while_reading"] = during;
    state.counters["worst_while_reading_ms"] = worst;
}

} // namespace

BENCHMARK(BM_Keystroke)->Arg(2000)->Arg(24000)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeWhileReading)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CACHE_HOME", (Folder().path() + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (Folder().path() + QStringLiteral("/config")).toUtf8());
    QApplication application(argc, argv);
    SetUnattended(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
