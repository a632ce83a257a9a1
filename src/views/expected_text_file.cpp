#include "views/expected_text_file.h"

#include <QFile>
#include <QTemporaryDir>

#include "book/text.h"

namespace tavelo::gui {

namespace {
QTemporaryDir& PrivateFolder()
{
    static QTemporaryDir folder;
    return folder;
}
} // namespace

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
    QByteArray bytes;
    if (auto cp1252 = Utf8ToCp1252(utf8Text))
        bytes = QByteArray::fromStdString(*cp1252);
    else
        bytes = QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(utf8Text);
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
