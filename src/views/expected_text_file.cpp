#include "views/expected_text_file.h"

#include <QFile>
#include <QTemporaryDir>

namespace tavelo::gui {

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

QTemporaryDir& PrivateFolder()
{
    static QTemporaryDir folder;
    return folder;
}
} // namespace

QString ExpectedTextFile::Decode(const QByteArray& bytes)
{
    const QByteArrayView text(bytes);
    return QString::fromUtf8(text.startsWith(kByteOrderMark) ? text.sliced(3) : text);
}

QString ExpectedTextFile::Path()
{
    if (!PrivateFolder().isValid())
        return {};
    return PrivateFolder().filePath(QStringLiteral("Temp.txt"));
}

bool ExpectedTextFile::Write(const std::string& utf8Text)
{
    const QString path = Path();
    if (path.isEmpty())
        return false;
    // An empty text is an empty file.
    const QByteArray bytes = utf8Text.empty() ? QByteArray() : QByteArray(kByteOrderMark) + QByteArray::fromStdString(utf8Text);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = file.write(bytes) == bytes.size();
    file.close();
    return ok && file.error() == QFile::NoError;
}

void ExpectedTextFile::Remove()
{
    const QString path = Path();
    if (!path.isEmpty())
        QFile::remove(path);
}

} // namespace tavelo::gui
