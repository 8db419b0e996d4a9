#pragma once
#include <QWidget>

class TForm6 : public QWidget {
    Q_OBJECT
public:
    TForm6();
    ~TForm6() override;
};

extern TForm6* Form6;
