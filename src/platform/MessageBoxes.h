#pragma once
// The message boxes of the window: a text, a one-word title and OK or Yes and No.

#include <QString>

class QWidget;

namespace tarvik {

enum class Buttons {
    Ok,     // OK
    OkStop, // OK, and "Show No More" for the last box of a series the user may stop
    YesNo,  // Yes and No, Yes the default
    NoYes,  // Yes and No, No the default
};

// The button pressed; Dismissed when the box was closed with Esc or its close button.
enum class Answer { Ok, Yes, No, Stop, Dismissed };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box and returns the answer.
    virtual Answer Show(QWidget* parent, const QString& text, const QString& title,
                        Buttons buttons);
};

} // namespace tarvik
