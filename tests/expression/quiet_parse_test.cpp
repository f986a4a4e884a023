// Quiet parses: what a parse would write to standard output, returned instead.

#include "node.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

/// The messages of a quiet parse of text, and what it wrote to standard output.
std::pair<parse_messages, std::string> quiet(const std::string& text)
{
    testing::internal::CaptureStdout();
    const parse_messages messages = parse_quietly(text);
    return {messages, testing::internal::GetCapturedStdout()};
}

TEST(QuietParse, KeepsSkippedCharactersAndErrorsInsteadOfWritingThem)
{
    const auto [stray, stray_out] = quiet("x+y$;");
    EXPECT_EQ(stray.skipped, "$");
    EXPECT_EQ(stray.error, "");
    EXPECT_EQ(arbre_de_node.size(), 3u);
    EXPECT_EQ(stray_out, "");

    const auto [broken, broken_out] = quiet(" x y\t;");
    EXPECT_EQ(broken.skipped, "  ");
    EXPECT_EQ(broken.error, "syntax error");
    EXPECT_EQ(broken_out, "");

    const auto [deep, deep_out] = quiet(std::string(300, '(') + "x" + std::string(300, ')') + ";");
    EXPECT_EQ(deep.error, "memory exhausted");
    EXPECT_EQ(deep_out, "");

    const auto [sound, sound_out] = quiet("sin(x)*y;");
    EXPECT_EQ(sound.skipped + sound.error + sound_out, "");
    EXPECT_EQ(arbre_de_node.size(), 4u);
}

TEST(QuietParse, LeavesLaterParsesWritingAsBefore)
{
    quiet("x$+;");
    testing::internal::CaptureStdout();
    parse_into_arbre_de_node("x$+;");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "$ERREUR: syntax error\n");
}

}  // namespace
