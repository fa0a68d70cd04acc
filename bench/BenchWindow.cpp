#include "BenchWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

namespace bench {

std::optional<QString> BenchDialog::Ask(Mode, QWidget*) {
    if (Answer.isEmpty())
        return std::nullopt;
    return Answer;
}

tarvik::Answer BenchMessages::Show(QWidget*, const QString& text, const QString& title,
                                   tarvik::Buttons buttons) {
    if (buttons != tarvik::Buttons::Ok) {
        ++Questions;
        return tarvik::Answer::No;
    }
    Log << title + QStringLiteral(": ") + text;
    return tarvik::Answer::Ok;
}

QString BenchSettings::Get(const QString& section, const QString& key) {
    return Values.value(section + '/' + key);
}

bool BenchSettings::Set(const QString& section, const QString& key, const QString& value) {
    Values[section + '/' + key] = value;
    return true;
}

void ShowWindow(WindowStand& stand) {
    stand.Window.Form_Load();
    stand.Window.activateWindow();
    QElapsedTimer waited;
    waited.start();
    while (!stand.Window.isActiveWindow() && !waited.hasExpired(2000))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Settle();
}

void Settle() {
    QCoreApplication::processEvents();
}

void PickField(tarvik::FrmTarvik& w, int index, int position) {
    QComboBox* box = w.CMBTarvik[static_cast<std::size_t>(index)];
    box->setCurrentIndex(position);
    emit box->activated(position);
}

ReviewDriver::ReviewDriver(tarvik::FrmTarvik& w, Mode mode, int skips)
    : W(w), M(mode), Skips(skips) {
    Timer.setSingleShot(true);
    Timer.setInterval(0);
    connect(&Timer, &QTimer::timeout, this, [this] { Tick(); });
    Timer.start();
}

// A decision wait is on while the review buttons are enabled and no decision is stored.
bool ReviewDriver::Waiting() const {
    return W.CmdTarvik[2]->isEnabled() && W.Run().ReviewChoice == tarvik::ChoiceNone;
}

void ReviewDriver::Tick() {
    if (!Waiting()) {
        Timer.start();
        return;
    }
    ++Waits;
    if (W.LBLTarvik[12]->text() != QString::number(W.Traffic().PlanCursor) ||
        W.TxtTarvik->document()->isEmpty())
        ++Mismatches;
    if (M == Mode::Lot) {
        W.CmdTarvik[3]->click();
        return;
    }
    if (Waits <= Skips) {
        W.CmdTarvik[2]->click();
        Timer.start();
        return;
    }
    W.CmdTarvik[4]->click();
}

} // namespace bench
