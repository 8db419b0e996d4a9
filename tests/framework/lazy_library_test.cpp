// A library opened on first use: its functions when it and they exist, and a reason
// (never a crash) when either is missing.
#include <gtest/gtest.h>

#include "framework/lazy_library.h"

namespace velmo::testing {
namespace {

TEST(LazyLibrary, GivesTheLibrarysFunctionOrSaysWhyNot) {
    LazyLibrary math("libm.so.6");
    auto* cosine = math.function<double(double)>("cos");
    ASSERT_NE(cosine, nullptr) << math.error();
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_TRUE(math.error().empty());

    EXPECT_EQ(math.function<double(double)>("no_such_function_here"), nullptr);
    EXPECT_NE(math.error().find("no_such_function_here"), std::string::npos) << math.error();
    // A function missing does not close the library.
    EXPECT_NE(math.function<double(double)>("sin"), nullptr);
    EXPECT_TRUE(math.error().empty()) << math.error();

    LazyLibrary missing("libvelmo-no-such-library.so.9");
    EXPECT_EQ(missing.function<void()>("anything"), nullptr);
    EXPECT_NE(missing.error().find("libvelmo-no-such-library.so.9"), std::string::npos) << missing.error();
    EXPECT_EQ(missing.function<void()>("anything"), nullptr);  // asked again: still none, no retry crash
}

}  // namespace
}  // namespace velmo::testing
