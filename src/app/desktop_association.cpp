#include "app/desktop_association.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "app/resources.h"
#include "app/toolbar_icons.h"

namespace tavelo::gui {

namespace {
bool WriteText(const QString& path, const QString& content)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = content.toUtf8();
    return file.write(bytes) == bytes.size();
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
} // namespace

bool WriteDesktopAssociation(const QString& executable, const QString& dataFolder)
{
    const QString root = dataFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                              : dataFolder;
    if (root.isEmpty())
        return false;
    const QString mime = QString::fromLatin1(kBookMimeType);
    const QString mimeXml =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"%1\">\n"
                       "    <comment>%2</comment>\n"
                       "    <icon name=\"tavelo\"/>\n"
                       "    <glob pattern=\"*.tvo\"/>\n"
                       "  </mime-type>\n"
                       "</mime-info>\n")
            .arg(mime, QString::fromUtf8(text::kTypeName));
    const QString desktop = QStringLiteral("[Desktop Entry]\n"
                                           "Type=Application\n"
                                           "Name=Tavelo\n"
                                           "Comment=%4\n"
                                           "Exec=%1 %f\n"
                                           "Icon=tavelo\n"
                                           "Terminal=false\n"
                                           "MimeType=%2;\n"
                                           "Categories=Office;\n"
                                           "X-Tavelo-Type=%3\n")
                                .arg(QuoteExec(executable), mime, QString::fromUtf8(text::kTypeIdentifier),
                                     QString::fromUtf8(text::kDesktopComment));

    bool ok = WriteText(root + QStringLiteral("/mime/packages/tavelo.xml"), mimeXml);
    ok = WriteText(root + QStringLiteral("/applications/tavelo.desktop"), desktop) && ok;
    const QString iconPath = root + QStringLiteral("/icons/hicolor/48x48/apps/tavelo.png");
    ok = QDir().mkpath(QFileInfo(iconPath).absolutePath()) && ApplicationIcon().pixmap(48, 48).save(iconPath, "PNG") && ok;

    if (!QStandardPaths::isTestModeEnabled()) {
        // Refreshing the caches is the desktop's business; missing tools are fine.
        QProcess::startDetached(QStringLiteral("update-mime-database"), {root + QStringLiteral("/mime")});
        QProcess::startDetached(QStringLiteral("update-desktop-database"), {root + QStringLiteral("/applications")});
    }
    return ok;
}

} // namespace tavelo::gui
