#include "setup/texts.h"

#include <gtest/gtest.h>

namespace dorvik::setup {
namespace {

TEST(SetupTexts, AreBuiltFromTheProductName) {
    EXPECT_EQ(titleText("Dorvik"), "Dorvik Setup");
    EXPECT_EQ(welcomeText("Dorvik"), "Welcome to the Dorvik installation program.");
    EXPECT_EQ(instructionText("Xy"),
              "            Click the image to install Xy software into the specified \n"
              "             destination directory.\n"
              "\n"
              "If you would like to install Xy into another directory, use \n"
              "the Browse button.");
    EXPECT_EQ(noticeText(),
              "Setup cannot install system files or update shared files if they are in use.\n"
              "Before proceeding, we recommend that you close any applications you \n"
              "may be running.");
}

TEST(SetupTexts, ChosenTargetAlwaysInsertsTheSeparator) {
    EXPECT_EQ(proposedTarget("/home/ann", "Dorvik"), "/home/ann/Dorvik");
    EXPECT_EQ(chosenTarget("/media/disk1", "Dorvik"), "/media/disk1/Dorvik");
    EXPECT_EQ(chosenTarget("/", "Dorvik"), "//Dorvik");
    EXPECT_EQ(chosenTarget("/media/usb/", "Dorvik"), "/media/usb//Dorvik");
    EXPECT_EQ(chosenTarget("", "Dorvik"), "/Dorvik");
}

} // namespace
} // namespace dorvik::setup
