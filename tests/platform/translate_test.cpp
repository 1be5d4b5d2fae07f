#include "platform/translate.h"

#include <gtest/gtest.h>

namespace dorvik::platform {
namespace {

// Placeholders are filled in one pass, after translation.
TEST(Fill, ReplacesEachPlaceholderOnce) {
    const std::pair<std::string, std::string> table[] = {
        {"%1\n is successfully joined!", "/a%2b\n is successfully joined!"},
        {"%2 of %1, %2", "x of /a%2b, x"}, // order free, repeats allowed
        {"%3 stays, 100% too", "%3 stays, 100% too"},
        {"ends in %", "ends in %"},
    };
    for (const auto &[text, expected] : table)
        EXPECT_EQ(fill(text, {"/a%2b", "x"}), expected) << text;
}

// Without a hook (dorvik-cli) the English text; with one, its answer unless empty.
TEST(Translated, AsksTheHookWhenThereIsOne) {
    EXPECT_EQ(translated("Join", "Joined"), "Joined");
    setTranslateHook([](const char *context, const char *text) {
        return std::string(text) == "Joined" ? std::string(context) + ": Zusammengefügt"
                                             : std::string();
    });
    EXPECT_EQ(translated("Join", "Joined"), "Join: Zusammengefügt");
    EXPECT_EQ(translated("Join", "Other"), "Other");
    setTranslateHook({});
    EXPECT_EQ(translated("Join", "Joined"), "Joined");
}

} // namespace
} // namespace dorvik::platform
