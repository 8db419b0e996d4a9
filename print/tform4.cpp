#include "print/tform4.h"

#include "framework/draw.h"

TForm4* Form4 = nullptr;

TForm4::TForm4() : QWidget(nullptr, Qt::Dialog) {
    Form4 = this;
    setWindowTitle(QString::fromUtf8("印刷プレビュー"));
    setFont(velmo::ui_font(12));
}

TForm4::~TForm4() {
    if (Form4 == this) Form4 = nullptr;
}
