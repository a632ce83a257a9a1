#pragma once
// What the preview's own files share: the parts of CHTMLView that are defined
// outside its header, and the limits more than one of them needs. Included by
// html_view.cpp, preview_kinds.cpp and preview_hits.cpp only.

#include <QImage>
#include <QString>
#include <QTextBrowser>
#include <QWidget>
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

#include "reading/kinds.h"
#include "reading/text_source.h"
#include "views/html_view.h"

class QLabel;
class QPushButton;
class QToolButton;

namespace tavelo::gui {

namespace preview {
// Past this size a picture is not previewed, nor loaded by an HTML page.
inline constexpr std::size_t kMaxPictureBytes = std::size_t{256} << 20;
// The picture page's own picture.
inline constexpr const char* kPictureUrl = "tavelo-preview:picture";

inline std::u16string_view Units(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// The kinds whose preview is the text the search reads out of them.
bool ShowsExtractedText(DocumentKind kind);
DocumentKind KindOfPath(const QString& path);
} // namespace preview

// A document read on a thread of its own, for the preview.
struct CHTMLView::ExtractState {
    std::string path;
    DocumentKind kind = DocumentKind::kOther;
    std::atomic<bool> cancel{false};
    DocumentRead read;
};

// Above the text or the PDF page: what is shown, the hit buttons and, for a
// text read out of a document, the button that opens the document itself.
class CHTMLView::HitBar : public QWidget {
public:
    explicit HitBar(QWidget* parent);

    QLabel* label;
    QToolButton* previous;
    QToolButton* next;
    QPushButton* open;
};

// The browser of the text, HTML and picture pages. What an HTML page refers
// to (pictures, style sheets) goes through the same careful reading as the
// documents themselves; nothing is fetched from the network.
class CHTMLView::PreviewBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QImage picture;

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    // Ctrl+A selects the page's text here, before the window's Ctrl+A.
    bool event(QEvent* event) override;
};

} // namespace tavelo::gui
