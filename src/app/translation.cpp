#include "app/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "base/helper_program.h"
#include "base/tr.h"

namespace tavelo::gui {

namespace {

std::unique_ptr<QTranslator>& Installed()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// Qt's own texts (file and print dialogs, standard buttons, its messages).
std::unique_ptr<QTranslator>& InstalledQt()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// The locale the window speaks: the user's own when it is of the interface's
// language (fr_BE, en_GB), else France's French or American English. Qt's
// dialogs and the desktop's descriptions of file types follow it.
QLocale InterfaceLocale(UiLanguage language)
{
    const QLocale::Language wanted = language == UiLanguage::kFrench ? QLocale::French : QLocale::English;
    const QLocale system = QLocale::system();
    if (system.language() == wanted)
        return system;
    return wanted == QLocale::French ? QLocale(QLocale::French, QLocale::France)
                                     : QLocale(QLocale::English, QLocale::UnitedStates);
}

// qtbase_fr.qm or qtbase_en.qm from Qt's translations folder (Debian's
// qt6-translations-l10n). Without it Qt's texts stay in English.
void InstallQtTranslation(UiLanguage language)
{
    auto translator = std::make_unique<QTranslator>();
    const QString name = QStringLiteral("qtbase_") + QString::fromLatin1(LanguageCode(language));
    if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        InstalledQt() = std::move(translator);
}

std::string TranslateWithQt(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text).toStdString();
}

} // namespace

bool InstallInterfaceLanguage(UiLanguage language)
{
    RemoveInterfaceLanguage();
    SetTranslator(&TranslateWithQt);
    QLocale::setDefault(InterfaceLocale(language));
    InstallQtTranslation(language);
    if (language == UiLanguage::kFrench)
        return true;
    const std::string path = FindDataFile("translations/tavelo_" + std::string(LanguageCode(language)) + ".qm");
    auto translator = std::make_unique<QTranslator>();
    if (path.empty() || !translator->load(QString::fromStdString(path)) ||
        !QCoreApplication::installTranslator(translator.get())) {
        // The window stays French: so do Qt's dialogs.
        InstallInterfaceLanguage(UiLanguage::kFrench);
        return false;
    }
    Installed() = std::move(translator);
    return true;
}

void RemoveInterfaceLanguage()
{
    for (std::unique_ptr<QTranslator>* translator : {&Installed(), &InstalledQt()}) {
        if (*translator) {
            QCoreApplication::removeTranslator(translator->get());
            translator->reset();
        }
    }
}

QString Tx(const char* text)
{
    return QCoreApplication::translate("Tavelo", text);
}

} // namespace tavelo::gui
