#include "setup/texts.h"

#include "platform/translate.h"

namespace dorvik::setup {

using platform::fill;

// %1 is the product name in every text below.

std::string titleText(std::string_view product) {
    return fill(DORVIK_TEXT("Setup", "%1 Setup"), {product});
}

std::string welcomeText(std::string_view product) {
    return fill(DORVIK_TEXT("Setup", "Welcome to the %1 installation program."), {product});
}

std::string noticeText() {
    return DORVIK_TEXT(
        "Setup", "Setup cannot install system files or update shared files if they are in use.\n"
                 "Before proceeding, we recommend that you close any applications you \n"
                 "may be running.");
}

std::string instructionText(std::string_view product) {
    return fill(DORVIK_TEXT("Setup", "            Click the image to install %1 software "
                                     "into the specified \n"
                                     "             destination directory.\n"
                                     "\n"
                                     "If you would like to install %1 into another "
                                     "directory, use \n"
                                     "the Browse button."),
                {product});
}

std::string proposedTarget(std::string_view home, std::string_view product) {
    return std::string(home) + "/" + std::string(product);
}

std::string chosenTarget(std::string_view path, std::string_view product) {
    return std::string(path) + "/" + std::string(product);
}

} // namespace dorvik::setup
