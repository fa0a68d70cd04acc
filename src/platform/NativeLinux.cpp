#include "platform/Native.h"

namespace tarvik::native {

QStringList ProgramArguments(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

std::unique_ptr<QSettings> OpenSettings() {
    return std::make_unique<QSettings>(QStringLiteral("Tarvik"), QStringLiteral("Tarvik"));
}

void UseStartingConsole() {}

} // namespace tarvik::native
