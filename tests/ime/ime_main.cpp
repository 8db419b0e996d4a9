// The real input method's tests: the X server and the session bus start before
// the QApplication, which connects to both as it is made.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstring>

#include "framework/translation.h"
#include "tests/ime/ime_session.h"

namespace velmo::testing {
namespace {
ImeSession* g_session = nullptr;
std::optional<QString> g_failure;
}  // namespace

ImeSession& ime_session() { return *g_session; }
const std::optional<QString>& ime_session_failure() { return g_failure; }

}  // namespace velmo::testing

int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    velmo::testing::ImeSession session;
    velmo::testing::g_session = &session;
    if (!listing) velmo::testing::g_failure = session.start_display();
    // Without them the cases still run, to fail with the reason.
    if (listing || velmo::testing::g_failure) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    velmo::use_japanese_ui();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
