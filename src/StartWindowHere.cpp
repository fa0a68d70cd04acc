#include "StartWindow.h"

#include "platform/ClockRandom.h"
#include "platform/DlgAIc.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "window/FrmTarvik.h"

#include <QApplication>

namespace tarvik {

int StartWindow(int argc, char** argv, const QString& file) {
    QApplication app(argc, argv);
    DlgAIc dialog;
    MessageBoxes messages;
    SettingsStore settings;
    ClockRandom random;
    FrmTarvik window({&dialog, &messages, &settings, &random});
    QObject::connect(&window, &FrmTarvik::ProgramEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    if (!file.isEmpty())
        window.OpenPlansFile(file);
    return app.exec();
}

} // namespace tarvik
