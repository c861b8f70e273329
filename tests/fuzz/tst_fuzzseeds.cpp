// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target's body over every file of its seed corpus, so the
// ordinary build checks the same properties the fuzzer does.

#include "FuzzCheck.h"

#include "support/FileHelpers.h"

#include <QTest>

class TestFuzzSeeds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void seed_data()
    {
        // clang-format off
        QTest::addColumn<QString>("path");
        const QDir corpus(QStringLiteral(NETSONDE_FUZZ_CORPUS));
        const QStringList seeds = corpus.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!seeds.isEmpty(), "the seed corpus holds no file");
        for (const QString& seed : seeds)
            QTest::newRow(qPrintable(seed)) << corpus.filePath(seed);
        // clang-format on
    }

    void seed()
    {
        QFETCH(QString, path);
        const QByteArray bytes = netsonde::test::FileBytes(path);
        try {
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
        } catch (const netsonde::fuzz::PropertyBroken& broken) {
            QFAIL(qPrintable(QStringLiteral("%1 breaks the property: %2").arg(path, QLatin1String(broken.property))));
        }
    }
};

QTEST_GUILESS_MAIN(TestFuzzSeeds)
#include "tst_fuzzseeds.moc"
