#include "setup/texts.h"

namespace dorvik::setup {

std::string titleText(std::string_view product) {
    return std::string(product) + " Setup";
}

std::string welcomeText(std::string_view product) {
    return "Welcome to the " + std::string(product) + " installation program.";
}

std::string noticeText() {
    return "Setup cannot install system files or update shared files if they are in use.\n"
           "Before proceeding, we recommend that you close any applications you \n"
           "may be running.";
}

std::string instructionText(std::string_view product) {
    const std::string p(product);
    return "            Click the image to install " + p + " software into the specified \n" +
           "             destination directory.\n" + "\n" + "If you would like to install " + p +
           " into another directory, use \n" + "the Browse button.";
}

std::string proposedTarget(std::string_view home, std::string_view product) {
    return std::string(home) + "/" + std::string(product);
}

std::string chosenTarget(std::string_view path, std::string_view product) {
    return std::string(path) + "/" + std::string(product);
}

} // namespace dorvik::setup
