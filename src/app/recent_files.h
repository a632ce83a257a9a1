#pragma once
// The recent-file list of 4 books, kept in QSettings("Morv", "Tavelo") under
// "Recent File List" (File1 is the most recent).

#include <QStringList>

namespace tavelo::gui {

class RecentFiles {
public:
    static constexpr int kSize = 4;

    void Load();
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Paths() const { return m_paths; }

private:
    void Save() const;
    QStringList m_paths;
};

} // namespace tavelo::gui
