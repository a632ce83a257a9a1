#include "app/translation.h"

#include <QCoreApplication>
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

std::string TranslateWithQt(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text).toStdString();
}

} // namespace

bool InstallInterfaceLanguage(UiLanguage language)
{
    RemoveInterfaceLanguage();
    SetTranslator(&TranslateWithQt);
    if (language == UiLanguage::kFrench)
        return true;
    const std::string path = FindDataFile("translations/tavelo_" + std::string(LanguageCode(language)) + ".qm");
    auto translator = std::make_unique<QTranslator>();
    if (path.empty() || !translator->load(QString::fromStdString(path)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return false;
    Installed() = std::move(translator);
    return true;
}

void RemoveInterfaceLanguage()
{
    if (Installed()) {
        QCoreApplication::removeTranslator(Installed().get());
        Installed().reset();
    }
}

QString Tx(const char* text)
{
    return QCoreApplication::translate("Tavelo", text);
}

} // namespace tavelo::gui
