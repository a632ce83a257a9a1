#include "views/tree_order.h"

#include "book/text.h"

namespace tavelo::gui {

std::string GeneralTitleKey(const std::string& utf8Title)
{
    if (auto cp1252 = Utf8ToCp1252(utf8Title))
        return std::move(*cp1252);
    return utf8Title;
}

const QCollator& SubjectCollator()
{
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::French, QLocale::France)};
        c.setCaseSensitivity(Qt::CaseSensitive);
        c.setNumericMode(false);
        return c;
    }();
    return collator;
}

} // namespace tavelo::gui
