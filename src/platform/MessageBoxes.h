#pragma once
// The message boxes of the window: a text, a one-word title and OK or Yes and No.

#include <QString>

class QWidget;

namespace tarvik {

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box and returns the button pressed; Yes is the default of Yes and No.
    virtual Answer Show(QWidget* parent, const QString& text, const QString& title,
                        Buttons buttons);
};

} // namespace tarvik
