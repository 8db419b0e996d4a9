#include "records/tform5.h"

#include "framework/draw.h"

TForm5* Form5 = nullptr;

TForm5::TForm5() : QWidget(nullptr, Qt::Dialog) {
    Form5 = this;
    setWindowTitle(QString::fromUtf8("記録"));
    setFont(velmo::ui_font(12));
}

TForm5::~TForm5() {
    if (Form5 == this) Form5 = nullptr;
}
