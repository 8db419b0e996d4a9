#pragma once
// The result colours every analysis view paints with, and the month bands of
// the date columns.
#include <QColor>

namespace velmo::palette {

QColor neutral();      // balance 0, or investment equal to payout
QColor win();          // positive result
QColor loss();         // negative result
QColor win_strong();   // best value, new high, TOTAL rows, bar fill
QColor loss_strong();  // worst value, new low, TOTAL rows, bar fill
QColor empty();        // rows without data
QColor win_ink();      // figures of a gain drawn as lines or text, and the frame of a gain's bar
QColor loss_ink();     // figures of a loss drawn as lines or text, and the frame of a loss's bar

// Band colour of a month: six colours repeating, so months 1 and 7 share one.
// Any integer is accepted (a damaged date still picks one of the six).
QColor month_band(int month);

}  // namespace velmo::palette
