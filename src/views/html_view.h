#pragma once
// The preview: a blank page, a plain text (the expected text, .txt files), HTML
// and pictures, PDF files, the text read out of the other kinds the search
// reads (office files, e-mails), a page offering to open any other file with
// the desktop's application, or an error page in French. While the tree shows
// the hits of a search, the matches of its pattern are highlighted, with a
// bar to go from one to the next.

#include <QImage>
#include <QStackedWidget>
#include <QString>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "search/document_search.h"

#include "views/view.h"

class QBuffer;
class QLabel;
class QPdfDocument;
class QPdfView;
class QPushButton;
class QScrollArea;
class QTextBrowser;
class QToolButton;

namespace tavelo {
class SearchPattern;
class HitMarker;
}

namespace tavelo::gui {

class CHTMLView : public QStackedWidget, public CView {
    Q_OBJECT
public:
    // Reading: the text of a document is being read; Extracted: it is shown.
    enum class Page { Empty, Blank, Text, Html, Image, Pdf, NoPreview, Error, Reading, Extracted };

    explicit CHTMLView(CTenorelDoc* document, QWidget* parent = nullptr);
    ~CHTMLView() override;

    QWidget* GetWidget() override { return this; }

    void LoadBlankPage();
    void Navigate(const QString& path);

    Page CurrentPage() const { return m_page; }
    const QString& CurrentPath() const { return m_path; }
    // The text of the text, HTML and error pages, or of the no-preview page.
    QString DisplayedText() const;
    QTextBrowser* Browser() const;
    QPdfView* PdfView() const { return m_pdfView; }
    QPushButton* OpenButton() const { return m_openButton; }

    // The 36 bytes of the blank page.
    static const char* BlankPageHtml();

    // The pattern whose matches the documents shown from now on highlight;
    // null for none.
    void SetSearchPattern(std::shared_ptr<const SearchPattern> pattern);
    // What the preview marks: a search's pattern, a quick search's words, or
    // nothing.
    void SetHitMarker(std::shared_ptr<const HitMarker> marker);
    // The hits of the document shown: how many, which one is current (-1 for
    // none); next and previous go round.
    int HitCount() const;
    int CurrentHit() const { return m_currentHit; }
    void NextHit();
    void PreviousHit();
    // The PDF page shown with its hits, from 0; -1 when the whole PDF is shown.
    int HitPdfPage() const { return m_pdfShownPage; }
    // The picture of that page, hits marked.
    QImage HitPdfImage() const;
    // The bar above the text or the PDF page: its text and buttons.
    QString HitBarText() const;
    QToolButton* NextHitButton() const;
    QToolButton* PreviousHitButton() const;
    QPushButton* BarOpenButton() const;

private:
    class HitBar;
    struct ExtractState;
    struct PdfHit {
        int page;
        int start;
        int length;
    };

    // The bytes of the document, never waiting on the file system for long;
    // false after showing the error page.
    bool ReadDocument(const QString& path, std::size_t maxBytes, bool headOnly, QByteArray& bytes);
    void ShowText(const QString& path, const QByteArray& bytes);
    void ShowHtml(const QString& path, const QByteArray& bytes);
    void ShowImage(const QString& path, const QByteArray& bytes);
    void ShowPdf(const QString& path, const QByteArray& bytes);
    void ShowNoPreview(const QString& path);
    void ShowError(const QString& message);
    void ShowExtracted(const QString& path, int kind);
    void OnExtracted(const std::shared_ptr<ExtractState>& state);
    void CancelExtract();
    void ShowBrowser(Page page);
    void StepHit(int step);
    void MarkTextHits(HitSpans hits);
    void ShowCurrentTextHit();
    bool FindPdfHits();
    void ShowCurrentPdfHit();
    void RenderPdfPage(int page);
    void UpdateBars();
    HitBar* CurrentBar() const;
    void OpenExternally();
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

    Page m_page = Page::Empty;
    QString m_path;
    class PreviewBrowser;
    PreviewBrowser* m_browser;
    QPdfDocument* m_pdfDocument;
    QBuffer* m_pdfBytes = nullptr;
    QPdfView* m_pdfView;
    QWidget* m_noPreview;
    QLabel* m_noPreviewLabel;
    QPushButton* m_openButton;
    QWidget* m_textPage;
    HitBar* m_textBar;
    QWidget* m_pdfHitPage;
    HitBar* m_pdfBar;
    QScrollArea* m_pdfScroll;
    QLabel* m_pdfPicture;
    QImage m_pdfImage; // the page shown, hits marked
    int m_pdfShownPage = -1;
    bool m_shortcutsMade = false;

    std::shared_ptr<const HitMarker> m_marker;
    HitSpans m_textHits; // in the browser's document positions
    std::vector<PdfHit> m_pdfHits;
    int m_currentHit = -1;
    QString m_extractTitle; // the bar's text above an extracted text
    std::shared_ptr<ExtractState> m_extract; // the reading the page waits for
    std::vector<std::pair<std::thread, std::shared_ptr<ExtractState>>> m_extractThreads;
};

// Decodes a text file: byte-order mark (UTF-8, UTF-16), else UTF-8 when the
// bytes are valid UTF-8, else Windows-1252.
QString DecodeTextFile(const QByteArray& bytes);

} // namespace tavelo::gui
