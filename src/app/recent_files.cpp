#include "app/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace tavelo::gui {

namespace {
const QString kGroup = QStringLiteral("Recent File List");
}

void RecentFiles::Load()
{
    QSettings settings(QStringLiteral("Morv"), QStringLiteral("Tavelo"));
    settings.beginGroup(kGroup);
    m_paths.clear();
    for (int i = 1; i <= kSize; ++i) {
        const QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty() && !m_paths.contains(path))
            m_paths << path;
    }
}

void RecentFiles::Add(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    m_paths.removeAll(full);
    m_paths.prepend(full);
    while (m_paths.size() > kSize)
        m_paths.removeLast();
    Save();
}

void RecentFiles::Remove(const QString& path)
{
    m_paths.removeAll(path);
    Save();
}

void RecentFiles::Save() const
{
    QSettings settings(QStringLiteral("Morv"), QStringLiteral("Tavelo"));
    settings.beginGroup(kGroup);
    for (int i = 1; i <= kSize; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_paths.size())
            settings.setValue(key, m_paths[i - 1]);
        else
            settings.remove(key);
    }
}

} // namespace tavelo::gui
