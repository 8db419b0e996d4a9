#include "month/tform6.h"

#include "framework/draw.h"

TForm6* Form6 = nullptr;

TForm6::TForm6() : QWidget(nullptr, Qt::Dialog) {
    Form6 = this;
    setWindowTitle(QString::fromUtf8("月間グラフ"));
    setFont(velmo::ui_font(12));
}

TForm6::~TForm6() {
    if (Form6 == this) Form6 = nullptr;
}
