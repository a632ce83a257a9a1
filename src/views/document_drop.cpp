#include "views/document_drop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/command_host.h"
#include "app/main_frame.h"
#include "app/resources.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "views/tenorel_view.h"
#include "views/view.h"

namespace tavelo::gui {

namespace {

QList<QUrl> LocalFiles(const QMimeData* mime)
{
    QList<QUrl> files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            files << url;
    }
    return files;
}

bool IsBookFile(const QUrl& url)
{
    return QFileInfo(url.toLocalFile()).suffix().compare(Tx(text::kFileExtension), Qt::CaseInsensitive) == 0;
}

class DocumentDropFilter : public QObject {
public:
    DocumentDropFilter(QAbstractItemView* view, CView* pane) : QObject(view), m_view(view), m_pane(pane) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A subject dragged within the tree is the tree's own business.
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
            const QMimeData* mime = static_cast<QDropEvent*>(event)->mimeData();
            if (mime && mime->hasFormat(QString::fromLatin1(CTenorelView::kSubjectMime)))
                return false;
        }
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (LocalFiles(drag->mimeData()).isEmpty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop:
            Drop(static_cast<QDropEvent*>(event));
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    void Drop(QDropEvent* event)
    {
        const QList<QUrl> files = LocalFiles(event->mimeData());
        if (files.isEmpty()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        CTenorelDoc* doc = m_pane->GetDocument();
        const bool toSubject = doc && doc->GetCurrentSubject();
        QStringList forwarded;
        for (const QUrl& url : files) {
            if (toSubject && !IsBookFile(url))
                CTenorelView::AddDocumentToCurrentSubject(*doc, url.toLocalFile(), m_view->window());
            else
                forwarded << url.toLocalFile();
        }
        CommandHost* host = CommandHost::Instance();
        auto* mainFrame = host ? qobject_cast<CMainFrame*>(host->HostWindow()) : nullptr;
        if (mainFrame && !forwarded.isEmpty())
            mainFrame->OpenDroppedFiles(forwarded);
    }

    QAbstractItemView* m_view;
    CView* m_pane;
};

} // namespace

void AcceptDocumentDrops(QAbstractItemView* view, CView* pane)
{
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->setDropIndicatorShown(false);
    view->viewport()->installEventFilter(new DocumentDropFilter(view, pane));
}

} // namespace tavelo::gui
