#include "app/desktop_association.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "base/helper_program.h"

namespace tavelo::gui {

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Desktop entry values escape backslashes; Exec arguments are quoted.
QString QuoteExec(QString path)
{
    path.replace(QLatin1Char('\\'), QStringLiteral("\\\\\\\\"));
    path.replace(QLatin1Char('"'), QStringLiteral("\\\\\""));
    path.replace(QLatin1Char('`'), QStringLiteral("\\\\`"));
    path.replace(QLatin1Char('$'), QStringLiteral("\\\\$"));
    path.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + path + QLatin1Char('"');
}

// The staged entry runs "tavelo" from the PATH; the registered one runs the
// build tree's program, and has no TryExec (the path is already absolute).
QByteArray PointEntryAt(const QByteArray& entry, const QString& executable)
{
    QByteArray out;
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith("TryExec="))
            continue;
        if (line.startsWith("Exec="))
            out += "Exec=" + QuoteExec(executable).toUtf8() + " %f";
        else
            out += line;
        out += '\n';
    }
    out.chop(1);
    return out;
}

// Files the program wrote at every start before it was packaged: an entry
// under another name, and a MIME type of another name in tavelo.xml.
bool IsEarlierRegistration(const QString& path)
{
    const QByteArray content = ReadAll(path);
    return content.contains("X-Tavelo-Type=Tavelo.Document") ||
           content.contains("<mime-type type=\"application/x-tavelo\">");
}

} // namespace

bool RegisterDesktopFiles(const QString& stagedShare, const QString& executable, const QString& dataFolder,
                          bool refreshCaches)
{
    if (stagedShare.isEmpty() || dataFolder.isEmpty())
        return false;
    bool ok = true;
    bool wroteMime = false;
    bool wroteEntry = false;
    const QString oldEntry = dataFolder + QStringLiteral("/applications/tavelo.desktop");
    if (QFile::exists(oldEntry) && IsEarlierRegistration(oldEntry)) {
        ok = QFile::remove(oldEntry) && ok;
        wroteEntry = true;
    }
    for (const QString& folder : {QStringLiteral("applications"), QStringLiteral("mime"), QStringLiteral("icons")}) {
        QDirIterator it(stagedShare + QLatin1Char('/') + folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString relative = QDir(stagedShare).relativeFilePath(source);
            const QString target = dataFolder + QLatin1Char('/') + relative;
            QByteArray content = ReadAll(source);
            if (relative.endsWith(QLatin1String(".desktop")))
                content = PointEntryAt(content, executable);
            const QFileInfo existing(target);
            if (existing.exists()) {
                if (ReadAll(target) == content)
                    continue;
                const bool newer = existing.lastModified() > QFileInfo(source).lastModified();
                if (newer && !IsEarlierRegistration(target))
                    continue;
            }
            if (!WriteAll(target, content)) {
                ok = false;
                continue;
            }
            wroteMime = wroteMime || folder == QLatin1String("mime");
            wroteEntry = wroteEntry || folder == QLatin1String("applications");
        }
    }
    if (refreshCaches) {
        // Refreshing the caches is the desktop's business; missing tools are fine.
        if (wroteMime)
            QProcess::startDetached(QStringLiteral("update-mime-database"), {dataFolder + QStringLiteral("/mime")});
        if (wroteEntry)
            QProcess::startDetached(QStringLiteral("update-desktop-database"),
                                    {dataFolder + QStringLiteral("/applications")});
    }
    return ok;
}

void RegisterForBuildTree()
{
    if (!RunsFromBuildTree())
        return;
    const QString executable = QStringLiteral(TAVELO_BUILD_EXECUTABLE);
    if (!QFileInfo(executable).isExecutable())
        return;
    RegisterDesktopFiles(QString::fromStdString(BuildFolder()) + QStringLiteral("/share"), executable,
                         QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                         !QStandardPaths::isTestModeEnabled());
}

} // namespace tavelo::gui
