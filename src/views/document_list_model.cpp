#include "views/document_list_model.h"

#include <QApplication>
#include <QHash>
#include <QLocale>
#include <QMimeDatabase>
#include <QStyle>
#include <limits>

#include "app/translation.h"
#include "book/tenorels.h"

namespace tavelo::gui {

namespace {

const char* const kHeaders[] = {QT_TRANSLATE_NOOP("Tavelo", "Nom"), QT_TRANSLATE_NOOP("Tavelo", "Dossier"),
                                QT_TRANSLATE_NOOP("Tavelo", "Type"), QT_TRANSLATE_NOOP("Tavelo", "Taille"),
                                QT_TRANSLATE_NOOP("Tavelo", "Modifié le"), QT_TRANSLATE_NOOP("Tavelo", "Extrait")};
constexpr const char* kHits = QT_TRANSLATE_NOOP("Tavelo", "%1 occurrence(s)");
// Documents of a found subject that do not match, in the quick search.
const QColor kDimmedColour(128, 128, 128);
constexpr const char* kMissing = QT_TRANSLATE_NOOP("Tavelo", "Document absent : %1");
constexpr const char* kUnreadable = QT_TRANSLATE_NOOP("Tavelo", "Document illisible : %1");
constexpr const char* kChecking = QT_TRANSLATE_NOOP("Tavelo", "Vérification en cours…");
constexpr const char* kBytes = QT_TRANSLATE_NOOP("Tavelo", "%1 octets");
const char* const kUnits[] = {QT_TRANSLATE_NOOP("Tavelo", "Ko"), QT_TRANSLATE_NOOP("Tavelo", "Mo"),
                              QT_TRANSLATE_NOOP("Tavelo", "Go"), QT_TRANSLATE_NOOP("Tavelo", "To")};
// Missing and unreadable rows are written in this red.
const QColor kProblemColour(178, 34, 34);

const QLocale& French()
{
    static const QLocale locale(QLocale::French, QLocale::France);
    return locale;
}

// The desktop's icon of the type, as the file manager shows it; the style's
// plain file when the icon theme has none.
QIcon TypeIcon(const QString& mimeName)
{
    // Kept until the process ends: icons must not outlive the application
    // object in a static destructor.
    static auto& icons = *new QHash<QString, QIcon>;
    const auto it = icons.constFind(mimeName);
    if (it != icons.constEnd())
        return *it;
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeName);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    icons.insert(mimeName, icon);
    return icon;
}

QIcon ProblemIcon(DocumentListModel::State state)
{
    if (state == DocumentListModel::State::kMissing)
        return QIcon::fromTheme(QStringLiteral("dialog-warning"),
                                QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
    return QIcon::fromTheme(QStringLiteral("dialog-error"),
                            QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical));
}

bool IsProblem(DocumentListModel::State state)
{
    return state == DocumentListModel::State::kMissing || state == DocumentListModel::State::kUnreadable;
}

} // namespace

QString DocumentListModel::FormatSize(std::uint64_t size)
{
    if (size < 1024)
        return Tx(kBytes).arg(size);
    double value = static_cast<double>(size) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return French().toString(value, 'f', value < 10.0 ? 1 : 0) + QLatin1Char(' ') + Tx(kUnits[unit]);
}

void DocumentListModel::SetDocuments(const std::vector<std::string>& paths)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(paths.size());
    const QMimeDatabase mimes;
    for (const std::string& path : paths) {
        Row row;
        row.path = ToQ(path);
        row.name = ToQ(GetDocumentFileName(path));
        const auto slash = path.find_last_of("/\\");
        row.folder = slash == std::string::npos ? QString() : ToQ(std::string_view(path).substr(0, slash == 0 ? 1 : slash));
        // By the extension only: the file itself may be on a folder that does
        // not answer.
        const QMimeType type = mimes.mimeTypeForFile(row.name, QMimeDatabase::MatchExtension);
        row.kind = type.comment();
        row.mimeName = type.name();
        m_rows.push_back(std::move(row));
    }
    m_pending = static_cast<int>(m_rows.size());
    endResetModel();
}

void DocumentListModel::SetFound(bool active, std::vector<std::pair<int, Found>> found)
{
    m_found = active;
    for (Row& row : m_rows) {
        row.found = false;
        row.extract.clear();
        row.marked.clear();
    }
    for (auto& [index, what] : found) {
        if (index < 0 || static_cast<std::size_t>(index) >= m_rows.size())
            continue;
        Row& row = m_rows[static_cast<std::size_t>(index)];
        row.found = true;
        const QString hits = Tx(kHits).arg(what.hits);
        row.extract = hits + QStringLiteral(" — ") + ToQ(what.extract);
        // The marks are byte offsets in the UTF-8 extract.
        QString marked = hits.toHtmlEscaped() + QStringLiteral(" — ");
        std::size_t at = 0;
        for (const auto& [begin, end] : what.marks) {
            if (begin < at || end > what.extract.size())
                continue;
            marked += ToQ(std::string_view(what.extract).substr(at, begin - at)).toHtmlEscaped();
            marked += QStringLiteral("<b>") + ToQ(std::string_view(what.extract).substr(begin, end - begin)).toHtmlEscaped() +
                      QStringLiteral("</b>");
            at = end;
        }
        marked += ToQ(std::string_view(what.extract).substr(at)).toHtmlEscaped();
        row.marked = marked;
    }
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

void DocumentListModel::SetProbe(int row, const DocumentProbe& probe)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return;
    Row& r = m_rows[static_cast<std::size_t>(row)];
    if (r.state == State::kChecking)
        --m_pending;
    switch (probe.status) {
    case DocumentStatus::kReadable:
        r.state = State::kReadable;
        r.size = static_cast<qint64>(probe.size);
        r.modified = QDateTime::fromMSecsSinceEpoch(probe.modifiedNs / 1000000);
        r.reason.clear();
        break;
    case DocumentStatus::kMissing:
    case DocumentStatus::kUnreadable:
        r.state = probe.status == DocumentStatus::kMissing ? State::kMissing : State::kUnreadable;
        r.size = -1;
        r.modified = QDateTime();
        r.reason = ToQ(DescribeProbe(probe));
        break;
    }
    Q_EMIT dataChanged(index(row, 0), index(row, kColumnCount - 1));
    if (m_pending == 0)
        Q_EMIT checked();
}

int DocumentListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DocumentListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QString DocumentListModel::ToolTip(const Row& row) const
{
    switch (row.state) {
    case State::kChecking:
        return row.path + QLatin1Char('\n') + Tx(kChecking);
    case State::kReadable:
        return row.path;
    case State::kMissing:
        return row.path + QLatin1Char('\n') + Tx(kMissing).arg(row.reason);
    case State::kUnreadable:
        return row.path + QLatin1Char('\n') + Tx(kUnreadable).arg(row.reason);
    }
    return row.path;
}

QVariant DocumentListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case kName:
            return row.name;
        case kFolder:
            return row.folder;
        case kKind:
            return row.kind;
        case kSize:
            return row.size < 0 ? QString() : FormatSize(static_cast<std::uint64_t>(row.size));
        case kModified:
            return row.modified.isValid() ? French().toString(row.modified, QLocale::ShortFormat) : QString();
        case kExtract:
            return row.extract;
        }
        break;
    case kMarkedRole:
        return column == kExtract ? row.marked : QString();
    case kSortRole:
        switch (column) {
        case kSize:
            return row.size;
        case kModified:
            return row.modified.isValid() ? row.modified.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
        default:
            return data(index, Qt::DisplayRole);
        }
    case Qt::DecorationRole:
        if (column == kName)
            return IsProblem(row.state) ? ProblemIcon(row.state) : TypeIcon(row.mimeName);
        break;
    case Qt::ForegroundRole:
        if (IsProblem(row.state))
            return kProblemColour;
        if (m_found && !row.found)
            return kDimmedColour;
        break;
    case Qt::ToolTipRole:
        return ToolTip(row);
    case Qt::TextAlignmentRole:
        if (column == kSize)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        break;
    default:
        break;
    }
    return {};
}

QVariant DocumentListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnCount)
        return Tx(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace tavelo::gui
