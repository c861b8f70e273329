// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line rules: which function a switch selects, what host text
// follows it, and which arguments cancel or are ignored.

#include "app/CommandLineOptions.h"

#include <QTest>

using namespace netsonde;

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<QString>("command");

        QTest::newRow("no arguments") << QStringList{} << false << "";
        QTest::newRow("whois with host") << QStringList{"-w", "whois.example"} << true << "W whois.example";
        QTest::newRow("slash and capital") << QStringList{"/N", "ns.example"} << true << "N ns.example";
        QTest::newRow("host before switch ignored") << QStringList{"host.example", "-p"} << true << "P ";
        QTest::newRow("hosts joined") << QStringList{"-p", "a", "b"} << true << "P ab";
        QTest::newRow("unknown later switch cancels") << QStringList{"-p", "host", "-x"} << false << "";
        QTest::newRow("long switch cancels") << QStringList{"-ping", "host"} << false << "";
        QTest::newRow("switch alone") << QStringList{"-q"} << true << "Q ";
        QTest::newRow("later switch starts over") << QStringList{"-t", "a", "-f", "b"} << true << "F b";
        QTest::newRow("every letter t") << QStringList{"-T", "h"} << true << "T h";
        QTest::newRow("bare dash") << QStringList{"-", "host"} << false << "";
        QTest::newRow("host after cancelled switch ignored") << QStringList{"-z", "host"} << false << "";
        // Arguments the toolkit takes for itself are seen here all the same.
        QTest::newRow("toolkit reverse cancels") << QStringList{"-p", "host", "-reverse"} << false << "";
        QTest::newRow("toolkit style cancels") << QStringList{"-p", "host", "-style", "fusion"} << false << "";
        QTest::newRow("toolkit platform first") << QStringList{"-platform", "offscreen", "-t", "h"} << true << "T h";
        QTest::newRow("family switch of report mode cancels") << QStringList{"-p", "host", "-6"} << false << "";
        QTest::newRow("non-latin letter") << QStringList{QStringLiteral("-\u0440"), "h"} << false << "";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, commandLine);
        QFETCH(QString, command);

        bool bCommandLine = false;
        QString strCommandLine;
        CCommandLineOptions(bCommandLine, strCommandLine).ParseCommandLine(arguments);
        QCOMPARE(bCommandLine, commandLine);
        QCOMPARE(strCommandLine, command);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
