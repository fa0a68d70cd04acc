#include "support/Rows.h"

#include "support/Traffic.h"

#include <QtTest>

namespace tarvik::testing {

namespace {
QByteArray Unescape(const QByteArray& text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
        } else if (text[++i] == 'x') {
            out += static_cast<char>(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            const char e = text[i];
            out += e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : e;
        }
    }
    return out;
}
} // namespace

void AddRows(const char* file, bool columns) {
    if (columns) {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
    }
    const QList<QByteArray> lines = ReadAll(DataPath(QString::fromLatin1(file))).split('\n');
    QVERIFY2(lines.size() > 1, file);
    for (int number = 1; number <= lines.size(); ++number) {
        QByteArray line = lines[number - 1];
        if (line.endsWith(" =>"))
            line += ' '; // an empty expected text
        const qsizetype arrow = line.indexOf(" => ");
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QVERIFY2(arrow >= 0,
                 qPrintable(QStringLiteral("%1:%2: no \" => \"").arg(file).arg(number)));
        QTest::addRow("%s:%d", file, number)
            << Unescape(line.left(arrow)) << Unescape(line.mid(arrow + 4));
    }
}

} // namespace tarvik::testing
