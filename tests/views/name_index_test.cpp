// Numbering names by first appearance, as the summaries by name use it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/name_index.h"

using namespace velmo;

TEST(NameIndex, NamesKeepTheNumberOfTheirFirstAppearanceAcrossGrowth) {
    // Names that differ only past the first eight bytes, only in the tail, or in
    // length, and enough of them that the table grows several times.
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back("machine-name-" + std::to_string(i));
    for (int i = 0; i < 20; ++i) names.push_back(std::string(static_cast<std::size_t>(i), 'x'));  // "" first
    NameIndex index;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto [n, inserted] = index.insert(names[i]);
        EXPECT_TRUE(inserted) << names[i];
        EXPECT_EQ(n, i);
    }
    ASSERT_EQ(index.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto [n, inserted] = index.insert(std::string(names[i]));  // equal text, another buffer
        EXPECT_FALSE(inserted);
        EXPECT_EQ(n, i);
        EXPECT_EQ(index.find(names[i]), i);
    }
    EXPECT_EQ(index.size(), names.size());
    EXPECT_EQ(index.find("machine-name-300"), NameIndex::npos);
    EXPECT_EQ(index.find(std::string(20, 'x')), NameIndex::npos);
    EXPECT_EQ(NameIndex().find(""), NameIndex::npos);
}
