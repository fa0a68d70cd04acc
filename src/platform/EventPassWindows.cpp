#include "platform/EventPass.h"

#include <QCoreApplication>

namespace tarvik {

// Qt's event loop on Windows asks the system for window messages without a system call per pass
// that could be saved, so a pass is the plain one.
void EventPass::Install() {}

void EventPass::Run() {
    QCoreApplication::processEvents();
}

} // namespace tarvik
