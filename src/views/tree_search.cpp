// The two navigation modes of the subject tree: every subject (standard) or
// only the hits of the last search (search mode).

#include <unordered_set>

#include "app/main_frame.h"
#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "book/tenorels.h"
#include "views/html_view.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

CMainFrame* MainFrame()
{
    return dynamic_cast<CMainFrame*>(CommandHost::Instance());
}

// Hits are plain pointers into the book's list: any that is no longer one of
// its records (the book was reloaded) must not be shown or touched.
void DropHitsOutsideBook(std::vector<CTenorels*>& hits, const CTenorelDoc* doc)
{
    if (!doc) {
        hits.clear();
        return;
    }
    std::unordered_set<const CTenorels*> records;
    records.reserve(doc->GetSubjectCount());
    for (std::size_t i = 0; i < doc->GetSubjectCount(); ++i)
        records.insert(doc->GetSubject(i));
    std::erase_if(hits, [&records](const CTenorels* hit) { return records.count(hit) == 0; });
}

} // namespace

void CTenorelView::OnSearchNavigation()
{
    DropHitsOutsideBook(m_searchHits, GetDocument());
    if (m_searchHits.empty())
        return;
    CMainFrame* frame = MainFrame();
    if (!frame)
        return;
    frame->EnableSubjectsMenu(false);
    FillSubjects({});
    // With every item gone nothing is selected: no current subject, an empty
    // document list and a blank preview.
    OnSelectionChanged(nullptr);
    m_bSearchMode = true;
    if (CHTMLView* preview = GetDocument()->GetPreviewView()) {
        if (m_quick)
            preview->SetHitMarker(m_quick->marker);
        else
            preview->SetSearchPattern(m_searchPattern);
    }
    frame->SetModePaneText(Tx(text::kModeSearch));
    FillSubjects(m_searchHits);
    if (QTreeWidgetItem* root = GetRootItem())
        expandItem(root);
}

void CTenorelView::OnStandardNavigation()
{
    // The record itself, not its name: two subjects may share a name.
    CTenorels* selected = SubjectOf(currentItem());
    CMainFrame* frame = MainFrame();
    if (!frame)
        return;
    frame->EnableSubjectsMenu(true);
    m_bSearchMode = false;
    m_quick.reset();
    if (GetDocument())
        if (CHTMLView* preview = GetDocument()->GetPreviewView())
            preview->SetSearchPattern(nullptr);
    frame->SetModePaneText(Tx(text::kModeStandard));
    FillSubjects({});
    OnSelectionChanged(nullptr);
    if (!GetDocument())
        return;
    FillStandard();
    if (GetDocument()->IndexOf(selected) < 0)
        return;
    if (QTreeWidgetItem* item = FindSubjectItem(selected)) {
        scrollToItem(item);
        setCurrentItem(item);
    }
}

void CTenorelView::ShowQuickAnswer(std::vector<CTenorels*> subjects, std::shared_ptr<QuickAnswer> answer)
{
    CMainFrame* frame = MainFrame();
    if (!frame || !GetDocument())
        return;
    DropHitsOutsideBook(subjects, GetDocument());
    m_quick = std::move(answer);
    m_searchHits = std::move(subjects);
    m_searchPattern.reset();
    // The subject shown stays shown when it is still found.
    CTenorels* selected = SubjectOf(currentItem());
    frame->EnableSubjectsMenu(false);
    FillSubjects({});
    OnSelectionChanged(nullptr);
    m_bSearchMode = true;
    if (CHTMLView* preview = GetDocument()->GetPreviewView())
        preview->SetHitMarker(m_quick->marker);
    frame->SetModePaneText(Tx(text::kModeSearch));
    FillSubjects(m_searchHits);
    if (QTreeWidgetItem* root = GetRootItem())
        expandItem(root);
    if (selected != nullptr && m_quick->hits.count(selected) != 0)
        if (QTreeWidgetItem* item = FindSubjectItem(selected))
            setCurrentItem(item);
}

std::vector<QuickHit> CTenorelView::QuickHitsOf(const CTenorels* subject)
{
    if (!m_quick || subject == nullptr)
        return {};
    const auto found = m_quick->hits.find(subject);
    if (found == m_quick->hits.end())
        return {};
    std::vector<QuickHit> documents;
    for (const QuickHit& hit : found->second)
        if (hit.document >= 0)
            documents.push_back(hit);
    if (m_quick->confirm)
        documents = m_quick->confirm(std::move(documents));
    // Confirmed once: the list asks again at each selection.
    std::vector<QuickHit> kept;
    for (const QuickHit& hit : found->second)
        if (hit.document < 0)
            kept.push_back(hit);
    kept.insert(kept.end(), documents.begin(), documents.end());
    found->second = kept;
    return documents;
}

} // namespace tavelo::gui
