#include "app/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/resource_ids.h"
#include "app/resources.h"
#include "app/toolbar_icons.h"
#include "app/translation.h"

namespace tavelo::gui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Tx(text::kAboutTitle));
    setObjectName(QStringLiteral("aboutBox"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    auto* version = new QLabel(Tx(text::kAboutVersion), this);
    version->setObjectName(QStringLiteral("versionLine"));
    auto* ok = new QPushButton(Tx(text::kOkButton), this);
    ok->setProperty("controlId", int{IDOK});
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(version, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
}

} // namespace tavelo::gui
