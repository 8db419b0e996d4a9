#pragma once
// What the program does between the application object and the event loop, shared
// by main and the start-up benchmark so that both start the same way.
#include "entry/tform2.h"
#include "entry/tform3.h"
#include "entry/tform7.h"
#include "month/tform6.h"
#include "print/tform4.h"
#include "records/tform5.h"
#include "shell/tform1.h"

namespace velmo {

// The application's name, Qt's own texts in Japanese and the window icon, set once
// the application object exists and before any window is made. No display name:
// the window system would append it to every window's title.
void prepare_application();

// The program's seven windows, made in this order.
struct ProgramWindows {
    TForm1 form1;
    TForm2 form2;
    TForm3 form3;
    TForm4 form4;
    TForm5 form5;
    TForm6 form6;
    TForm7 form7;
};

}  // namespace velmo
