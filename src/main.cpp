// tarvik [FILE] starts the window; tarvik check and tarvik apply, --help and --version work
// without it and need no display.

#include "cli/CommandLine.h"
#include "platform/ClockRandom.h"
#include "platform/DlgAIc.h"
#include "platform/MessageBoxes.h"
#include "platform/Native.h"
#include "platform/SettingsStore.h"
#include "window/FrmTarvik.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

namespace {

int RunWindow(int argc, char** argv, const QString& file) {
    QApplication app(argc, argv);
    tarvik::DlgAIc dialog;
    tarvik::MessageBoxes messages;
    tarvik::SettingsStore settings;
    tarvik::ClockRandom random;
    tarvik::FrmTarvik window({&dialog, &messages, &settings, &random});
    QObject::connect(&window, &tarvik::FrmTarvik::ProgramEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    if (!file.isEmpty())
        window.OpenPlansFile(file);
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    const QStringList args = tarvik::native::ProgramArguments(argc, argv);
    if (tarvik::cli::IsCommand(args)) {
        tarvik::native::UseStartingConsole();
        QCoreApplication app(argc, argv);
        tarvik::ClockRandom random;
        return tarvik::cli::RunCommand(QCoreApplication::arguments(), random);
    }
    const tarvik::cli::WindowArguments window = tarvik::cli::ParseWindowArguments(args);
    if (!window.Ok) {
        tarvik::native::UseStartingConsole();
        std::fprintf(stderr, "tarvik: %s\n", window.Error.toLocal8Bit().constData());
        return 2;
    }
    return RunWindow(argc, argv, window.File);
}
