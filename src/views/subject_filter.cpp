#include "views/subject_filter.h"

#include <QKeyEvent>
#include <array>

#include "app/translation.h"
#include "book/tenorels.h"
#include "views/tenorel_view.h"

namespace tavelo::gui {

namespace {

// Up to this many subjects shown, their titles are opened so that they can be
// seen at once; beyond, titles stay as they are.
constexpr int kOpenAtMost = 300;

QString FoldSlowly(const QString& text)
{
    // Compatibility decomposition puts accents apart (é: e + U+0301) and
    // spells out ligatures such as "ﬁ"; the French œ and æ are letters of
    // their own there and are spelled out here.
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c == QChar(0x0153) || c == QChar(0x0152))
            folded += QStringLiteral("oe");
        else if (c == QChar(0x00E6) || c == QChar(0x00C6))
            folded += QStringLiteral("ae");
        else
            folded += c;
    }
    return folded.toCaseFolded();
}

// The Latin letters of Western and Central European languages, folded once:
// most names then fold by table look-up.
constexpr char16_t kTableEnd = 0x250;
const std::array<QString, kTableEnd>& FoldTable()
{
    static const std::array<QString, kTableEnd> table = [] {
        std::array<QString, kTableEnd> t;
        for (char16_t c = 0; c < kTableEnd; ++c)
            t[c] = FoldSlowly(QString(QChar(c)));
        return t;
    }();
    return table;
}

} // namespace

SubjectFilter::SubjectFilter(CTenorelView* tree, QWidget* parent) : QLineEdit(parent), m_tree(tree)
{
    setObjectName(QStringLiteral("subjectFilter"));
    setPlaceholderText(Tx(kPlaceholder));
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this, [this] { Apply(); });
    connect(tree, &CTenorelView::itemsReplaced, this, [this] {
        m_stale = true;
        Apply();
        if (hasFocus())
            Prepare();
    });
    connect(tree, &CTenorelView::subjectItemAdded, this, &SubjectFilter::OnSubjectAdded);
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        const auto it = m_titleOf.constFind(item);
        if (!m_stale && it != m_titleOf.constEnd() && !m_titles[*it].synced)
            SyncSubjects(*it);
    });
    const QAbstractItemModel* model = tree->model();
    const auto stale = [this] { m_stale = true; };
    connect(model, &QAbstractItemModel::rowsInserted, this, stale);
    connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
    connect(model, &QAbstractItemModel::rowsMoved, this, stale);
    connect(model, &QAbstractItemModel::modelReset, this, stale);
    connect(model, &QAbstractItemModel::layoutChanged, this, stale);
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { m_namesStale = true; });
}

QString SubjectFilter::Fold(const QString& text)
{
    const auto& table = FoldTable();
    QString folded;
    folded.reserve(text.size() + 4);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            folded += QChar(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
        else if (u < kTableEnd)
            folded += table[u];
        else
            return FoldSlowly(text);
    }
    return folded;
}

void SubjectFilter::Prepare()
{
    if (m_stale && m_tree->GetRootItem())
        Rebuild();
}

void SubjectFilter::focusInEvent(QFocusEvent* event)
{
    // Reading every name takes a moment on a large book: it is done as the
    // field takes the focus, before the first key.
    QLineEdit::focusInEvent(event);
    Prepare();
}

void SubjectFilter::AppendFoldedName(const Subject& subject)
{
    if (!subject.record) {
        m_names += Fold(subject.item->text(0));
        return;
    }
    const std::string& name = subject.record->GetSubjectName();
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            m_names += Fold(QString::fromStdString(name));
            return;
        }
    }
    // Plain ASCII, the common case: folded as it is copied.
    const qsizetype at = m_names.size();
    m_names.resize(at + static_cast<qsizetype>(name.size()));
    QChar* out = m_names.data() + at;
    for (const char c : name)
        *out++ = QChar(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
}

void SubjectFilter::Rebuild()
{
    m_stale = false;
    m_titles.clear();
    m_subjects.clear();
    m_titleOf.clear();
    QTreeWidgetItem* root = m_tree->GetRootItem();
    if (!root)
        return;
    const QModelIndex rootIndex = m_tree->indexFromItem(root);
    m_titles.reserve(static_cast<std::size_t>(root->childCount()));
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* titleItem = root->child(i);
        Title title{titleItem, Fold(titleItem->text(0)), m_subjects.size(), 0};
        // Rows keep what was hidden before (an item added or taken while
        // the filter was on).
        title.hidden = m_filtering && m_tree->isRowHidden(i, rootIndex);
        const QModelIndex titleIndex = m_tree->model()->index(i, 0, rootIndex);
        for (int j = 0; j < titleItem->childCount(); ++j) {
            QTreeWidgetItem* item = titleItem->child(j);
            Subject subject{item, CTenorelView::SubjectOf(item)};
            subject.hidden = m_filtering && m_tree->isRowHidden(j, titleIndex);
            subject.match = !subject.hidden;
            m_subjects.push_back(subject);
        }
        title.count = m_subjects.size() - title.first;
        m_titleOf.insert(titleItem, m_titles.size());
        m_titles.push_back(std::move(title));
    }
    RefoldNames();
}

void SubjectFilter::RefoldNames()
{
    m_namesStale = false;
    m_names.clear();
    m_names.reserve(static_cast<qsizetype>(m_subjects.size()) * 16);
    for (Subject& s : m_subjects) {
        s.offset = m_names.size();
        AppendFoldedName(s);
        s.length = m_names.size() - s.offset;
    }
}

void SubjectFilter::SyncSubjects(std::size_t t)
{
    Title& title = m_titles[t];
    const QModelIndex titleIndex = m_tree->indexFromItem(title.item);
    for (std::size_t j = 0; j < title.count; ++j) {
        Subject& s = m_subjects[title.first + j];
        if (s.hidden == s.match) {
            s.hidden = !s.match;
            m_tree->setRowHidden(static_cast<int>(j), titleIndex, s.hidden);
        }
    }
    title.synced = true;
}

void SubjectFilter::Apply()
{
    const QString needle = Fold(text());
    QTreeWidgetItem* root = m_tree->GetRootItem();
    if (!root || (needle.isEmpty() && !m_filtering)) {
        m_needle = needle;
        return;
    }
    bool matchesKnown = !m_stale && !m_namesStale;
    if (m_stale)
        Rebuild();
    if (m_namesStale)
        RefoldNames();
    if (!needle.isEmpty() && !m_filtering) {
        m_filtering = true;
        m_openBefore.clear();
        for (const Title& t : m_titles) {
            if (t.item->isExpanded())
                m_openBefore.insert(t.item->text(0));
        }
    }
    // A longer text can only keep subjects the shorter one kept.
    const bool narrower = matchesKnown && !m_needle.isEmpty() && needle.contains(m_needle);
    m_needle = needle;

    const QModelIndex rootIndex = m_tree->indexFromItem(root);
    int shown = 0;
    std::vector<QTreeWidgetItem*> titlesShown;
    for (std::size_t t = 0; t < m_titles.size(); ++t) {
        Title& title = m_titles[t];
        const bool titleMatches = needle.isEmpty() || title.folded.contains(needle);
        int shownHere = 0;
        for (std::size_t j = title.first; j < title.first + title.count; ++j) {
            Subject& s = m_subjects[j];
            if (titleMatches)
                s.match = true;
            else if (!narrower || s.match)
                s.match = QStringView(m_names).mid(s.offset, s.length).contains(needle);
            shownHere += s.match ? 1 : 0;
        }
        const bool visible = shownHere > 0 || title.count == 0;
        if (title.hidden == visible) {
            title.hidden = !visible;
            m_tree->setRowHidden(static_cast<int>(t), rootIndex, title.hidden);
        }
        // Rows under a closed title wait until it opens.
        if (visible && title.item->isExpanded())
            SyncSubjects(t);
        else
            title.synced = false;
        if (shownHere > 0)
            titlesShown.push_back(title.item);
        shown += shownHere;
    }

    if (!needle.isEmpty()) {
        if (shown <= kOpenAtMost) {
            for (QTreeWidgetItem* title : titlesShown)
                title->setExpanded(true);
        }
        return;
    }
    // Emptied: every row shown, and the titles open before open again.
    m_filtering = false;
    for (std::size_t t = 0; t < m_titles.size(); ++t) {
        if (!m_titles[t].synced)
            SyncSubjects(t);
        m_titles[t].item->setExpanded(m_openBefore.contains(m_titles[t].item->text(0)));
    }
    if (QTreeWidgetItem* current = m_tree->currentItem())
        m_tree->scrollToItem(current);
}

void SubjectFilter::OnSubjectAdded(QTreeWidgetItem* item, bool selected)
{
    if (!m_filtering || !item->parent())
        return;
    QTreeWidgetItem* title = item->parent();
    const CTenorels* record = CTenorelView::SubjectOf(item);
    const bool matches = Fold(title->text(0)).contains(m_needle) ||
                         (record && Fold(QString::fromStdString(record->GetSubjectName())).contains(m_needle));
    if (matches) {
        title->setHidden(false);
        return;
    }
    // A subject the user is about to see selected: the filter makes way.
    if (selected)
        clear();
    else
        item->setHidden(true);
}

void SubjectFilter::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        clear();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Down) {
        m_tree->setFocus(Qt::TabFocusReason);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace tavelo::gui
