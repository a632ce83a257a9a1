#pragma once
// The preview: a blank page, a plain text (the expected text, .txt files), HTML
// and pictures, PDF files, a page offering to open any other file with the
// desktop's application, or an error page in French.

#include <QStackedWidget>
#include <QString>

#include "views/view.h"

class QBuffer;
class QLabel;
class QPdfDocument;
class QPdfView;
class QPushButton;
class QTextBrowser;

namespace tavelo::gui {

class CHTMLView : public QStackedWidget, public CView {
    Q_OBJECT
public:
    enum class Page { Empty, Blank, Text, Html, Image, Pdf, NoPreview, Error };

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

private:
    // The bytes of the document, never waiting on the file system for long;
    // false after showing the error page.
    bool ReadDocument(const QString& path, std::size_t maxBytes, bool headOnly, QByteArray& bytes);
    void ShowText(const QString& path, const QByteArray& bytes);
    void ShowHtml(const QString& path, const QByteArray& bytes);
    void ShowImage(const QString& path, const QByteArray& bytes);
    void ShowPdf(const QString& path, const QByteArray& bytes);
    void ShowNoPreview(const QString& path);
    void ShowError(const QString& message);
    void OpenExternally();

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
};

// Decodes a text file: byte-order mark (UTF-8, UTF-16), else UTF-8 when the
// bytes are valid UTF-8, else Windows-1252.
QString DecodeTextFile(const QByteArray& bytes);

} // namespace tavelo::gui
