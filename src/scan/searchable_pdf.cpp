#include "scan/searchable_pdf.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

#include <leptonica/allheaders.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/renderer.h>

#include "base/tr.h"
#include "book/file_io.h"
#include "book/safe_save.h"
#include "reading/formats/ocr.h"

namespace tavelo::scan {

namespace {

// What a page without a credible resolution most likely has (Tesseract and
// the page size in the PDF both need one).
constexpr int kAssumedDpi = 300;

bool CancelRecognition(void* flag, int /*words*/)
{
    return static_cast<const std::atomic<bool>*>(flag)->load();
}

// Whether the file ends as the renderer ends a whole PDF: stdio's last flush,
// when the renderer's file is closed, fails without a word.
bool EndsWhole(int fd)
{
    static constexpr char kEnd[] = "%%EOF\n";
    constexpr std::size_t kEndSize = sizeof kEnd - 1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(kEndSize))
        return false;
    char tail[kEndSize];
    return ::pread(fd, tail, kEndSize, st.st_size - static_cast<off_t>(kEndSize)) == static_cast<ssize_t>(kEndSize)
           && std::string_view(tail, kEndSize) == std::string_view(kEnd, kEndSize);
}

} // namespace

SearchablePdf::SearchablePdf() = default;

SearchablePdf::~SearchablePdf()
{
    Abandon();
}

void SearchablePdf::Abandon()
{
    m_renderer.reset();
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
    m_pages = 0;
}

std::string SearchablePdf::WriteFailure() const
{
    // The renderer does not say why a write failed, and errno is lost once
    // stdio has closed the file: one more byte where it stopped tells, else
    // the free space.
    int error = 0;
    const int fd = m_temp.empty() ? -1 : ::open(m_temp.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd >= 0) {
        if (::write(fd, "\n", 1) != 1)
            error = errno;
        ::close(fd);
    }
    struct statvfs fs {};
    if (error == 0 && ::statvfs(ParentFolder(m_path).c_str(), &fs) == 0 && fs.f_bavail == 0)
        error = ENOSPC;
    if (error == 0)
        return Format(Tr("Scan", "Impossible d'écrire le PDF « %1 »."), {m_path});
    return Format(Tr("Scan", "Impossible d'écrire le PDF « %1 » : %2."), {m_path, DescribeError(error)});
}

bool SearchablePdf::Begin(const std::string& path, const std::string& title, std::string& reason)
{
    Abandon();
    m_path = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        reason = Format(Tr("Scan", "Le fichier « %1 » existe déjà."), {path});
        return false;
    }
    if (!m_api) {
        // Tesseract's notes about each page go nowhere.
        std::vector<std::string> names = {"debug_file"};
        std::vector<std::string> values = {"/dev/null"};
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        // The models of the installed language packages, from TESSDATA_PREFIX
        // or Tesseract's own folder, as the reader finds them.
        if (api->Init(nullptr, kOcrLanguages, tesseract::OEM_DEFAULT, nullptr, 0, &names, &values, false) != 0) {
            reason = Tr("Scan", "La reconnaissance du texte est indisponible : les langues française et anglaise de "
                                "Tesseract ne sont pas installées.");
            return false;
        }
        api->SetPageSegMode(tesseract::PSM_AUTO);
        m_api = std::move(api);
    }
    // The renderer embeds the font of its text layer from the models' folder.
    const std::string datadir = m_api->GetDatapath();
    if (::access((datadir + "/pdf.ttf").c_str(), R_OK) != 0) {
        reason = Format(Tr("Scan", "Le fichier pdf.ttf de Tesseract manque dans « %1 »."), {datadir});
        return false;
    }
    std::string temp = ParentFolder(path) + "/.tavelo-scan-XXXXXX.pdf";
    const int fd = ::mkstemps(temp.data(), 4);
    if (fd < 0) {
        reason = Format(Tr("Scan", "Impossible d'écrire le PDF « %1 » : %2."), {path, DescribeError(errno)});
        return false;
    }
    ::close(fd);
    m_temp = temp;
    // The renderer opens its output base with ".pdf" added.
    const std::string base = temp.substr(0, temp.size() - 4);
    m_renderer = std::make_unique<tesseract::TessPDFRenderer>(base.c_str(), datadir.c_str(), false);
    if (!m_renderer->happy() || !m_renderer->BeginDocument(title.c_str())) {
        reason = WriteFailure();
        Abandon();
        return false;
    }
    return true;
}

bool SearchablePdf::AddPage(Pix* page, const std::atomic<bool>& cancel, std::string& reason)
{
    if (!m_renderer) {
        reason = Format(Tr("Scan", "Impossible d'écrire le PDF « %1 »."), {m_path});
        return false;
    }
    if (pixGetWidth(page) > kMaxOcrSide || pixGetHeight(page) > kMaxOcrSide) {
        reason = Tr("Scan", "La page est trop grande pour la reconnaissance du texte : choisissez une résolution plus basse.");
        Abandon();
        return false;
    }
    int dpi = pixGetYRes(page);
    if (dpi <= 0) {
        dpi = kAssumedDpi;
        pixSetResolution(page, dpi, dpi);
    }
    m_api->SetImage(page);
    m_api->SetSourceResolution(dpi);
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = &CancelRecognition;
    monitor.cancel_this = const_cast<std::atomic<bool>*>(&cancel);
    // A failed or stopped recognition still leaves the page's image.
    m_api->Recognize(&monitor);
    const bool added = m_renderer->AddImage(m_api.get());
    m_api->Clear();
    if (!added) {
        reason = WriteFailure();
        Abandon();
        return false;
    }
    ++m_pages;
    return true;
}

bool SearchablePdf::Finish(std::string& reason)
{
    if (!m_renderer) {
        reason = Format(Tr("Scan", "Impossible d'écrire le PDF « %1 »."), {m_path});
        return false;
    }
    if (m_pages == 0) {
        reason = Tr("Scan", "Aucune page à écrire dans le PDF.");
        Abandon();
        return false;
    }
    const bool ended = m_renderer->EndDocument();
    m_renderer.reset(); // closes the file
    const int fd = ended ? ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0 || !EndsWhole(fd)) {
        if (fd >= 0)
            ::close(fd);
        reason = WriteFailure();
        Abandon();
        return false;
    }
    if (::fchmod(fd, NewFileMode()) != 0 || ::fsync(fd) != 0) {
        reason = Format(Tr("Scan", "Impossible d'écrire le PDF « %1 » : %2."), {m_path, DescribeError(errno)});
        ::close(fd);
        Abandon();
        return false;
    }
    ::close(fd);
    const int placed = RenameNoReplace(m_temp, m_path);
    if (placed != 0) {
        reason = Format(Tr("Scan", "Impossible d'écrire le PDF « %1 » : %2."), {m_path, DescribeError(placed)});
        Abandon();
        return false;
    }
    m_temp.clear();
    const int dir = ::open(ParentFolder(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace tavelo::scan
