#include "views/quick_search_field.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/main_frame.h"
#include "app/tenorel_doc.h"
#include "app/translation.h"
#include "book/tenorels.h"
#include "search/hit_marker.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

const char* const kFound = QT_TRANSLATE_NOOP("Tavelo", "%1 sujet(s) et %2 document(s) trouvés");
const char* const kNothing = QT_TRANSLATE_NOOP("Tavelo", "Aucun sujet ne correspond à « %1 »");
const char* const kUnread = QT_TRANSLATE_NOOP("Tavelo", "%1 document(s) pas encore lu(s) : seuls leurs noms ont été cherchés");
const char* const kReading = QT_TRANSLATE_NOOP("Tavelo", "Lecture des documents : %1 sur %2");
const char* const kNoWord = QT_TRANSLATE_NOOP("Tavelo", "Tapez un mot à chercher ; un mot précédé de « - » ne fait qu'écarter.");

// The pause after a keystroke before the book is searched: a word typed
// quickly is searched once.
constexpr int kPauseMs = 120;

} // namespace

QuickSearchField::QuickSearchField(CTenorelDoc* document, CTenorelView* tree, QWidget* parent)
    : QWidget(parent), m_document(document), m_tree(tree), m_runner(std::make_unique<QuickSearchRunner>(document))
{
    setObjectName(QStringLiteral("quickSearch"));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("quickSearchEdit"));
    m_edit->setPlaceholderText(Tx(kPlaceholder));
    m_edit->setClearButtonEnabled(true);
    m_edit->installEventFilter(this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("quickSearchStatus"));
    m_status->setWordWrap(true);
    m_status->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit);
    layout->addWidget(m_status);

    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_pause, &QTimer::timeout, this, &QuickSearchField::SearchNow);
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.trimmed().isEmpty()) {
            m_pause->stop();
            if (!m_shownText.isEmpty() || m_tree->InQuickSearch())
                Leave();
            return;
        }
        if (m_shownText.isEmpty() && !m_pause->isActive())
            m_runner->BeginSearch();
        m_pause->start();
    });
    m_runner->onAnswer = [this](const QuickSearchRunner::Answer& answer) { OnAnswer(answer); };
    m_runner->onReading = [](std::size_t done, std::size_t total) {
        if (auto* frame = dynamic_cast<CMainFrame*>(CommandHost::Instance()))
            frame->SetReadingText(total == 0 ? QString() : Tx(kReading).arg(done).arg(total));
    };
}

QuickSearchField::~QuickSearchField() = default;

bool QuickSearchField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            Leave();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            SearchNow();
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            m_tree->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void QuickSearchField::Leave()
{
    m_pause->stop();
    m_shownText.clear();
    {
        const QSignalBlocker blocker(m_edit);
        m_edit->clear();
    }
    m_status->hide();
    if (m_tree->InQuickSearch())
        m_tree->OnStandardNavigation();
}

void QuickSearchField::SearchNow()
{
    m_pause->stop();
    const QString text = m_edit->text();
    if (text.trimmed().isEmpty())
        return;
    std::shared_ptr<query::Query> parsed;
    try {
        parsed = std::make_shared<query::Query>(query::ParseQuery(text.toStdString()));
    } catch (const query::QueryError& e) {
        m_status->setText(QString::fromStdString(e.what()));
        m_status->show();
        return;
    }
    if (!parsed->HasPositive()) {
        m_status->setText(Tx(kNoWord));
        m_status->show();
        return;
    }
    m_runner->Search(std::move(parsed));
}

void QuickSearchField::OnAnswer(const QuickSearchRunner::Answer& answer)
{
    // The field was emptied meanwhile: the answer is of no use.
    if (m_edit->text().trimmed().isEmpty())
        return;
    auto shown = std::make_shared<CTenorelView::QuickAnswer>();
    shown->query = answer.query;
    shown->marker = MarkQuery(*answer.query, m_edit->text().toStdString());
    std::vector<CTenorels*> subjects;
    for (const std::size_t index : answer.result.subjects)
        if (index < answer.records.size() && answer.records[index] != nullptr)
            subjects.push_back(answer.records[index]);
    for (const QuickHit& hit : answer.result.hits)
        if (hit.subject < answer.records.size())
            shown->hits[answer.records[hit.subject]].push_back(hit);
    QuickSearchRunner* runner = m_runner.get();
    const std::shared_ptr<const query::Query> query = answer.query;
    shown->confirm = [runner, query](std::vector<QuickHit> hits) { return runner->Confirm(*query, std::move(hits)); };
    m_tree->ShowQuickAnswer(subjects, std::move(shown));
    m_shownText = m_edit->text();

    QString status = answer.result.subjects.empty()
                         ? Tx(kNothing).arg(m_edit->text())
                         : Tx(kFound).arg(answer.result.subjects.size()).arg(answer.result.documentHits);
    if (answer.result.unread > 0)
        status += QStringLiteral("\n") + Tx(kUnread).arg(answer.result.unread);
    m_status->setText(status);
    m_status->show();
    Q_EMIT answered();
}

} // namespace tavelo::gui
