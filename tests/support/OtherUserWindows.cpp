#include "support/OtherUser.h"

#include <QtTest>

namespace tarvik::testing {

// A test program can't become another user on Windows.
bool RanAsOtherUser() {
    QTest::qSkip("Windows tests run as the one user they are started as", __FILE__, __LINE__);
    return true;
}

} // namespace tarvik::testing
