// Every text of the installer that names the product is made here from the
// product name that the backdrop window holds.
#pragma once

#include <string>
#include <string_view>

namespace dorvik::setup {

// Title of the backdrop window: "<product> Setup".
std::string titleText(std::string_view product);
// Welcome line of the welcome window.
std::string welcomeText(std::string_view product);
// The notice about files in use, three lines.
std::string noticeText();
// Instruction text of the main window, five lines; the first two begin with
// 12 and 13 blanks so that the picture button does not cover words.
std::string instructionText(std::string_view product);
// The proposed target directory: <home>/<product>.
std::string proposedTarget(std::string_view home, std::string_view product);
// The chooser's result: the chosen path, "/" and the product name. The
// separator is always inserted, so a root gives two.
std::string chosenTarget(std::string_view path, std::string_view product);

} // namespace dorvik::setup
