#include "app/search_commands.h"
#include "app/long_operation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <memory>

#include "app/resources.h"
#include "app/search_dialogs.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

QString ToQ(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Feeds the progress window from the search. The search runs on this thread,
// so the window only repaints when events are processed here; user input is
// left queued so that nothing can act on the book mid-search.
class ProgressReporter : public SearchProgress {
public:
    explicit ProgressReporter(CSearchProgressDlg* dlg) : m_dlg(dlg) { Pump(true); }

    void DocumentStarted(const CTenorels&, const std::string& statusText) override
    {
        if (!m_dlg->m_bCreated)
            return;
        m_dlg->SetCurrentFile(ToQ(statusText));
        Pump(true);
    }

    void SubjectExamined(const CTenorels&, std::size_t, std::size_t) override
    {
        if (!m_dlg->m_bCreated)
            return;
        m_dlg->StepIt();
        Pump(false);
    }

private:
    // A name-only search over a large book examines subjects far faster than
    // a window can repaint: between documents, at most every 40 ms.
    void Pump(bool always)
    {
        if (!m_dlg->m_bCreated)
            return;
        if (!always && m_sincePump.isValid() && m_sincePump.elapsed() < 40)
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_sincePump.start();
    }

    CSearchProgressDlg* m_dlg;
    QElapsedTimer m_sincePump;
};

unsigned ScopesOf(const CSearchCriteriaDlg& dlg)
{
    unsigned scopes = 0;
    if (dlg.m_bSubjectTitles)
        scopes |= kScopeSubjectNames;
    if (dlg.m_bExpectedTexts)
        scopes |= kScopeExpectedTexts;
    if (dlg.m_bDocumentTitles)
        scopes |= kScopeDocumentNames;
    if (dlg.m_bDocumentContents)
        scopes |= kScopeDocumentContents;
    return scopes;
}

} // namespace

void OnFindSubject(CTenorelView& view)
{
    QWidget* owner = view.window();
    CSearchCriteriaDlg dlg(owner);
    if (DialogRunner::Exec(dlg) != QDialog::Accepted)
        return;
    const unsigned scopes = ScopesOf(dlg);
    if (scopes == 0 || dlg.m_strWord.isEmpty())
        return;

    // Compiled before anything changes: a word that is no valid expression
    // leaves the hits, the mode and the tree as they were.
    std::unique_ptr<SearchPattern> pattern;
    try {
        pattern = std::make_unique<SearchPattern>(dlg.m_strWord.toStdString(),
                                                  SearchOptions{dlg.m_bWholeWord, dlg.m_bMatchCase});
    } catch (const PatternError& e) {
        MessageBox::Show(owner, QString::fromUtf8(e.what()), MessageBox::Exclamation);
        return;
    }

    view.m_searchHits.clear();
    CTenorelDoc* doc = view.GetDocument();
    if (!doc)
        return;

    SearchResult result;
    {
        const LongOperation busy;
        auto progress = std::make_unique<CSearchProgressDlg>(static_cast<int>(doc->GetSubjectCount()), &view);
        progress->Create();
        ProgressReporter reporter(progress.get());
        try {
            result = RunSearch(doc->Subjects(), *pattern, scopes, &reporter);
        } catch (const std::exception& e) {
            progress.reset();
            MessageBox::Show(owner, Tx(text::kSearchInterrupted).arg(QString::fromUtf8(e.what())),
                             MessageBox::Stop);
            return;
        }
    }

    view.m_searchHits = std::move(result.hits);
    if (!view.m_searchHits.empty())
        view.OnSearchNavigation();
    else
        MessageBox::Show(owner, ToQ(Tr("Search", kNoSubjectFoundMessage)), MessageBox::NoIcon);

    const std::string unreadable = DescribeUnreadableDocuments(result.unreadable);
    if (!unreadable.empty())
        MessageBox::Show(owner, ToQ(unreadable), MessageBox::Exclamation);
}

void RegisterSearchCommands()
{
    using Registry = CommandRegistry<CTenorelView>;
    Registry::Register(ID_EDIT_FIND, [](CTenorelView& view) { OnFindSubject(view); });
    Registry::Register(
        ID_NAVIGATION_SEARCH, [](CTenorelView& view) { view.OnSearchNavigation(); },
        [](CTenorelView& view, CCmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck(view.m_bSearchMode);
        });
    Registry::Register(
        ID_NAVIGATION_STANDARD, [](CTenorelView& view) { view.OnStandardNavigation(); },
        [](CTenorelView& view, CCmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck(!view.m_bSearchMode);
        });
    // The mode pane is an indicator: nothing runs, the update sets its text.
    Registry::Register(
        ID_INDICATOR_MODE, [](CTenorelView&) {},
        [](CTenorelView& view, CCmdUI& ui) {
            ui.Enable(true);
            ui.SetText(Tx(view.m_bSearchMode ? text::kModeSearch : text::kModeStandard));
        });
}

} // namespace tavelo::gui
