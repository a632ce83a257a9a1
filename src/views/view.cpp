#include "views/view.h"

#include "app/tenorel_doc.h"

namespace tavelo::gui {

CView::CView(CTenorelDoc* document) : m_pDocument(document)
{
    if (m_pDocument)
        m_pDocument->AddView(this);
}

CView::~CView()
{
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

} // namespace tavelo::gui
