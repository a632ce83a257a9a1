#include "app/search_commands.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "app/long_operation.h"
#include "app/resources.h"
#include "app/search_dialogs.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "app/ui_prompts.h"
#include "reading/text_source.h"
#include "search/search_pattern.h"
#include "search/search_run.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

// What the search thread works on: a copy of the subjects taken when the
// search started, so that the book stays free to change in the window; the
// hits come back as the book's own records.
struct SearchState {
    SubjectList snapshot;
    std::vector<CTenorels*> originals; // same order; null once deleted
    std::unique_ptr<SearchPattern> pattern;
    unsigned scopes = 0;
    SearchProgress progress;
    std::atomic<bool> cancel{false};
    SearchResult result;
};

// The search threads of this process, on the window thread only. A cancelled
// search's thread may still be winding down when its window has moved on.
struct RunningSearch {
    std::thread thread;
    std::shared_ptr<SearchState> state;
};
std::vector<RunningSearch>& Running()
{
    static std::vector<RunningSearch> running;
    return running;
}

void Join(const std::shared_ptr<SearchState>& state)
{
    auto& running = Running();
    for (auto it = running.begin(); it != running.end(); ++it) {
        if (it->state == state) {
            it->thread.join();
            running.erase(it);
            return;
        }
    }
}

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

// One search of a subject tree, from the criteria to the hits. Owned by the
// tree: closing the tree or its book cancels the search.
class SearchJob : public QObject {
public:
    SearchJob(CTenorelView& view, std::shared_ptr<SearchState> state)
        : QObject(&view), m_view(&view), m_state(std::move(state))
    {
        setObjectName(QStringLiteral("searchJob"));
        connect(&view, &CTenorelView::subjectRemoved, this, [this](const CTenorels* subject) {
            for (CTenorels*& original : m_state->originals)
                if (original == subject)
                    original = nullptr;
        });
        m_dialog = new CSearchProgressDlg(static_cast<int>(m_state->snapshot.size()), &view);
        connect(m_dialog, &QDialog::rejected, this, [this] { Cancel(); });
        m_dialog->Create();
        m_timer.setInterval(50);
        connect(&m_timer, &QTimer::timeout, this, [this] { m_dialog->Show(m_state->progress.Take()); });
        m_timer.start();
    }

    ~SearchJob() override
    {
        m_state->cancel = true;
        delete m_dialog;
    }

    void Start()
    {
        // Made here, on the window thread, before any search thread uses it.
        TextSource& source = DefaultTextSource();
        QPointer<SearchJob> self(this);
        std::shared_ptr<SearchState> state = m_state;
        std::thread thread([state, &source, self] {
            state->result = RunSearch(state->snapshot, *state->pattern, state->scopes,
                                      {&source, &state->progress, &state->cancel});
            QMetaObject::invokeMethod(QCoreApplication::instance(), [state, self] {
                Join(state);
                if (self)
                    self->Finish();
            }, Qt::QueuedConnection);
        });
        Running().push_back({std::move(thread), std::move(state)});
    }

    // Stops the search: the window is left as if it had not started.
    void Cancel()
    {
        m_state->cancel = true;
        // No longer the tree's search, even before it is deleted.
        setObjectName(QString());
        deleteLater();
    }

private:
    void Finish()
    {
        m_timer.stop();
        delete m_dialog;
        m_dialog = nullptr;
        deleteLater();
        SearchResult& result = m_state->result;
        CTenorelView* view = m_view;
        if (!view || result.cancelled)
            return;
        QWidget* owner = view->window();
        std::vector<CTenorels*> hits;
        for (const CTenorels* hit : result.hits) {
            for (std::size_t i = 0; i < m_state->snapshot.size(); ++i) {
                if (m_state->snapshot[i].get() == hit && m_state->originals[i] != nullptr)
                    hits.push_back(m_state->originals[i]);
            }
        }
        view->m_searchHits = std::move(hits);
        if (!view->m_searchHits.empty()) {
            // The search thread is over: the pattern is the window's now.
            view->m_searchPattern = std::shared_ptr<const SearchPattern>(std::move(m_state->pattern));
            view->ForgetQuickAnswer();
            view->OnSearchNavigation();
        }
        else
            MessageBox::Show(owner, ToQ(Tr("Search", kNoSubjectFoundMessage)), MessageBox::NoIcon);
        for (const std::string* notice : {&result.readerNotice, &result.cacheWarning})
            if (!notice->empty())
                MessageBox::Show(owner, ToQ(*notice), MessageBox::Exclamation);
        const std::string unreadKinds = DescribeUnreadKinds(result.unreadKinds);
        if (!unreadKinds.empty())
            MessageBox::Show(owner, ToQ(unreadKinds), MessageBox::Information);
        const std::string unreadable = DescribeUnreadableDocuments(result.unreadable);
        if (!unreadable.empty())
            MessageBox::Show(owner, ToQ(unreadable), MessageBox::Exclamation);
    }

    QPointer<CTenorelView> m_view;
    std::shared_ptr<SearchState> m_state;
    CSearchProgressDlg* m_dialog = nullptr;
    QTimer m_timer;
    // The reopening of a freed book replaces its records: it waits until the
    // search is over.
    const LongOperation m_busy;
};

SearchJob* JobOf(const CTenorelView& view)
{
    return view.findChild<SearchJob*>(QStringLiteral("searchJob"), Qt::FindDirectChildrenOnly);
}

} // namespace

void ClearTextCache(QWidget* parent)
{
    if (MessageBox::Show(parent, Tx(text::kClearTextCacheQuestion), MessageBox::Exclamation,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    std::string reason;
    if (DefaultTextSource().Cache().Clear(reason))
        MessageBox::Show(parent, Tx(text::kTextCacheCleared), MessageBox::Information);
    else
        MessageBox::Show(parent, Tx(text::kTextCacheNotCleared).arg(ToQ(Tr("Search", reason))), MessageBox::Exclamation);
}

bool IsSearchRunning()
{
    return !Running().empty();
}

void StopSearches()
{
    for (RunningSearch& search : Running())
        search.state->cancel = true;
    for (RunningSearch& search : Running())
        search.thread.join();
    Running().clear();
}

void OnFindSubject(CTenorelView& view)
{
    if (JobOf(view) != nullptr)
        return;
    QWidget* owner = view.window();
    CSearchCriteriaDlg dlg(owner);
    if (DialogRunner::Exec(dlg) != QDialog::Accepted)
        return;
    const unsigned scopes = ScopesOf(dlg);
    if (scopes == 0 || dlg.m_strWord.isEmpty())
        return;

    // Compiled before anything changes: a word that is no valid expression
    // leaves the hits, the mode and the tree as they were.
    auto state = std::make_shared<SearchState>();
    try {
        state->pattern = std::make_unique<SearchPattern>(dlg.m_strWord.toStdString(),
                                                         SearchOptions{dlg.m_bWholeWord, dlg.m_bMatchCase, dlg.m_bIgnoreAccents});
    } catch (const PatternError& e) {
        MessageBox::Show(owner, QString::fromUtf8(e.what()), MessageBox::Exclamation);
        return;
    }
    CTenorelDoc* doc = view.GetDocument();
    if (!doc) {
        view.m_searchHits.clear();
        return;
    }
    state->scopes = scopes;
    state->snapshot.reserve(doc->GetSubjectCount());
    for (const auto& subject : doc->Subjects()) {
        state->snapshot.push_back(std::make_unique<CTenorels>(*subject));
        state->originals.push_back(subject.get());
    }
    auto* job = new SearchJob(view, std::move(state));
    job->Start();
}

void RegisterSearchCommands()
{
    using Registry = CommandRegistry<CTenorelView>;
    Registry::Register(
        ID_EDIT_FIND, [](CTenorelView& view) { OnFindSubject(view); },
        [](CTenorelView& view, CCmdUI& ui) { ui.Enable(JobOf(view) == nullptr); });
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
