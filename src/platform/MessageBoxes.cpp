#include "platform/MessageBoxes.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

namespace tarvik {

namespace {

// A message box that tells a dismissal (Esc, the close button) from a press of its buttons, which
// a plain box would take for its escape button.
class Box : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool Dismissed = false;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) {
            Dismissed = true;
            QDialog::reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        Dismissed = true;
        QDialog::closeEvent(event);
    }
};

} // namespace

Answer MessageBoxes::Show(QWidget* parent, const QString& text, const QString& title,
                          Buttons buttons) {
    Box box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    QAbstractButton* stop = nullptr;
    if (buttons == Buttons::YesNo || buttons == Buttons::NoYes) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        if (buttons == Buttons::OkStop)
            stop = box.addButton(QStringLiteral("Show &No More"), QMessageBox::RejectRole);
        box.setDefaultButton(QMessageBox::Ok);
    }
    box.exec();
    if (box.Dismissed)
        return Answer::Dismissed;
    QAbstractButton* pressed = box.clickedButton();
    if (pressed && pressed == stop)
        return Answer::Stop;
    if (pressed == box.button(QMessageBox::Yes))
        return Answer::Yes;
    if (pressed == box.button(QMessageBox::No))
        return Answer::No;
    return pressed ? Answer::Ok : Answer::Dismissed;
}

} // namespace tarvik
