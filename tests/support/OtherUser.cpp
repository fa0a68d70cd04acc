#include "support/OtherUser.h"

#include <QtTest>

#include <cstdlib>
#include <grp.h>
#include <unistd.h>

namespace tarvik::testing {

bool RanAsOtherUser() {
    constexpr uid_t OtherUser = 65534;
    constexpr int NoOtherUser = 77;
    if (qEnvironmentVariableIsSet("TARVIK_TEST_USER")) {
        if (setgroups(0, nullptr) != 0 || setgid(OtherUser) != 0 || setuid(OtherUser) != 0)
            std::exit(NoOtherUser);
        return false;
    }
    if (geteuid() != 0)
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARVIK_TEST_USER"), QString::number(OtherUser));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C")); // the system's reasons in English
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("%1:%2").arg(QTest::currentTestFunction(), QTest::currentDataTag())});
    const bool ended = child.waitForFinished(120000) && child.exitStatus() == QProcess::NormalExit;
    if (ended && child.exitCode() == NoOtherUser)
        QTest::qSkip("the test could not become another user", __FILE__, __LINE__);
    else
        QTest::qVerify(ended && child.exitCode() == 0, "the row run as another user",
                       child.readAll().constData(), __FILE__, __LINE__);
    return true;
}

} // namespace tarvik::testing
