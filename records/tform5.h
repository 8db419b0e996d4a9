#pragma once
#include <QWidget>

class TForm5 : public QWidget {
    Q_OBJECT
public:
    TForm5();
    ~TForm5() override;
};

extern TForm5* Form5;
