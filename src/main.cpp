#include "platform/ClockRandom.h"
#include "platform/DlgAIc.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "window/FrmTarvik.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tarvik::DlgAIc dialog;
    tarvik::MessageBoxes messages;
    tarvik::SettingsStore settings;
    tarvik::ClockRandom random;
    tarvik::FrmTarvik window({&dialog, &messages, &settings, &random});
    QObject::connect(&window, &tarvik::FrmTarvik::ProgramEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    return app.exec();
}
