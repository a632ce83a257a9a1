#pragma once
// The about box (dialog 100): the program's icon, its version line and OK.

#include <QDialog>

namespace tavelo::gui {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent);
};

} // namespace tavelo::gui
