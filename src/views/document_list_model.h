#pragma once
// The rows of the document list: one per document path of the subject, in the
// subject's order (row i is document i), with what the path tells at once
// (name, folder, kind from the extension) and what a check of the file tells
// later (size, modification date, missing or unreadable).

#include <QAbstractTableModel>
#include <QDateTime>
#include <QIcon>
#include <string>
#include <vector>

#include "editing/document_check.h"

namespace tavelo::gui {

class DocumentListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kName, kFolder, kKind, kSize, kModified, kExtract, kColumnCount };
    enum class State { kChecking, kReadable, kMissing, kUnreadable };
    // What the columns sort by: texts, or numbers for size and date.
    static constexpr int kSortRole = Qt::UserRole + 1;
    // The extract as rich text, its hits in bold.
    static constexpr int kMarkedRole = Qt::UserRole + 2;

    // What the quick search found in one row's document.
    struct Found {
        std::size_t hits = 0;
        std::string extract; // UTF-8
        std::vector<std::pair<std::uint32_t, std::uint32_t>> marks;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void SetDocuments(const std::vector<std::string>& paths);
    // The quick search's hits, by row (rows absent from `found` did not
    // match and are shown dimmed); `active` false: no quick search.
    void SetFound(bool active, std::vector<std::pair<int, Found>> found);
    bool ShowsFound() const { return m_found; }
    // The check of row `row` came back.
    void SetProbe(int row, const DocumentProbe& probe);

    const QString& PathAt(int row) const { return m_rows[static_cast<std::size_t>(row)].path; }
    State StateAt(int row) const { return m_rows[static_cast<std::size_t>(row)].state; }
    // Rows whose check has not come back.
    int PendingCount() const { return m_pending; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "12 Ko", "1,5 Mo"...
    static QString FormatSize(std::uint64_t size);

Q_SIGNALS:
    // Every row's check has come back.
    void checked();

private:
    struct Row {
        QString path;
        QString name;
        QString folder;
        QString kind;
        QString mimeName;
        State state = State::kChecking;
        qint64 size = -1;
        QDateTime modified;
        QString reason;
        bool found = false;
        QString extract;
        QString marked;
    };
    QString ToolTip(const Row& row) const;

    std::vector<Row> m_rows;
    int m_pending = 0;
    bool m_found = false;
};

} // namespace tavelo::gui
