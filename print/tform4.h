#pragma once
#include <QWidget>

class TForm4 : public QWidget {
    Q_OBJECT
public:
    TForm4();
    ~TForm4() override;
};

extern TForm4* Form4;
