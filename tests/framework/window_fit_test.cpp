// A window beyond the specified ones fits the screen's available area, frame included.
#include <gtest/gtest.h>

#include "framework/widgets.h"

namespace velmo {
namespace {

TEST(WindowFit, SizeWithinTheAvailableArea) {
    const QMargins frame(4, 28, 4, 4);
    const struct {
        QSize wanted, minimum, available, fitted;
    } cases[] = {
        {{680, 520}, {0, 0}, {1600, 1000}, {680, 520}},  // fits as it is
        {{680, 520}, {0, 0}, {800, 468}, {680, 436}},    // scale 2 under a panel: only the height shrinks
        {{680, 520}, {0, 0}, {600, 552}, {592, 520}},    // exactly the height, not the width
        {{680, 520}, {300, 450}, {640, 400}, {632, 450}},  // never below the minimum
    };
    for (const auto& c : cases)
        EXPECT_EQ(size_within(c.wanted, c.minimum, frame, c.available), c.fitted)
            << c.available.width() << "x" << c.available.height();
}

}  // namespace
}  // namespace velmo
