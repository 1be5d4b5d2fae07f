// Backdrop window: the blue background with the shadowed title. Its hidden
// label holds the product name that every other text is built from.
#pragma once

#include "platform/widgets/classicwindow.h"

#include <string>

class QLabel;

namespace dorvik::setup {

class Installer;

class Form3 : public widgets::ClassicWindow {
    Q_OBJECT
public:
    explicit Form3(Installer *installer);
    void Form_Load();
    std::string productName() const;

    QLabel *Label1; // title
    QLabel *Label2; // its shadow
    QLabel *Label3; // the product name, never shown

protected:
    bool Form_Unload() override;
};

} // namespace dorvik::setup
