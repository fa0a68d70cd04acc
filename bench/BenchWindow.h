#pragma once
// The real window for the bench: FrmTarvik with stand-ins for the file dialog, the message boxes
// and the settings store, and the program's own random source. Needs a QApplication.

#include "platform/ClockRandom.h"
#include "platform/DlgAIc.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "window/FrmTarvik.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

namespace bench {

// Answers every open and save with Answer; an empty Answer cancels.
class BenchDialog : public tarvik::DlgAIc {
public:
    QString Answer;

protected:
    std::optional<QString> Ask(Mode, QWidget*) override;
};

// Records every message and answers No to the exit question, so that a reload never saves.
class BenchMessages : public tarvik::MessageBoxes {
public:
    QStringList Log; // the messages with an OK button: none is expected
    int Questions = 0;
    tarvik::Answer Show(QWidget*, const QString& text, const QString& title,
                        tarvik::Buttons buttons) override;
};

class BenchSettings : public tarvik::SettingsStore {
public:
    QMap<QString, QString> Values;
    QString Get(const QString& section, const QString& key) override;
    bool Set(const QString& section, const QString& key, const QString& value) override;
};

struct WindowStand {
    BenchDialog Dialog;
    BenchMessages Messages;
    BenchSettings Settings;
    tarvik::ClockRandom Random;
    tarvik::FrmTarvik Window{{&Dialog, &Messages, &Settings, &Random}};
};

// Shows the window as the program does and waits (at most two seconds) until it is active.
void ShowWindow(WindowStand& stand);

// One pass over the pending events, which draws what the last step changed.
void Settle();

// Picks position in field box index as a user's pick does: the box's activated signal.
void PickField(tarvik::FrmTarvik& w, int index, int position);

// Presses review buttons from inside the run's decision waits: each press a click of the button
// (pressed, released and clicked, as a mouse click gives them, without the repaints that a mouse
// press and release force at once), scheduled by a zero timer that fires in the wait's event
// processing. Lot mode presses
// "Change The Lot" at the first wait; skip mode presses "Skip this one" Skips times and then
// "Cancel". Counts the waits, and those whose plan number or text box did not show the plan.
class ReviewDriver : public QObject {
public:
    enum class Mode { Lot, Skip };
    ReviewDriver(tarvik::FrmTarvik& w, Mode mode, int skips = 0);

    int Waits = 0;      // decision waits seen
    int Mismatches = 0; // waits that did not show the plan under review

private:
    void Tick();
    bool Waiting() const;

    tarvik::FrmTarvik& W;
    Mode M;
    int Skips;
    QTimer Timer;
};

} // namespace bench
