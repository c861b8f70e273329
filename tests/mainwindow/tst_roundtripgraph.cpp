// SPDX-License-Identifier: GPL-3.0-or-later
// Round-trip statistics, the ring and series they are drawn from, and the
// graph drawn offscreen: losses, the line between them and the palette's
// colours at device pixel ratios 1 and 2. With NETSONDE_SCREENSHOT_DIR set,
// the light and dark graphs are written there as PNG files.

#include "mainwindow/RoundTripGraph.h"
#include "mainwindow/RoundTripPlot.h"
#include "run/RingBuffer.h"
#include "run/RoundTripSeries.h"
#include "run/RoundTripStatistics.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <cmath>

using namespace netsonde;

namespace {

const double x = qQNaN(); // a lost probe, or a statistic that has no value
constexpr int kMillion = 1000000;

QList<double> AlternatingMillion()
{
    QList<double> sequence(kMillion);
    for (int index = 0; index < kMillion; ++index)
        sequence[index] = 1e6 + (index % 2) * 0.001;
    return sequence;
}

QPalette GraphPalette(bool dark)
{
    const QColor text = dark ? QColor(0xE0, 0xE0, 0xE0) : Qt::black;
    const QColor base = dark ? QColor(0x1E, 0x1E, 0x1E) : Qt::white;
    const QColor window = dark ? QColor(0x2D, 0x2D, 0x2D) : QColor(0xEF, 0xEF, 0xEF);
    const QColor mid = dark ? QColor(0x4A, 0x4A, 0x4A) : QColor(0xA0, 0xA0, 0xA0);
    QPalette palette(text, window, window.lighter(), window.darker(), mid, text, Qt::white, base, window);
    palette.setColor(QPalette::Highlight, dark ? QColor(0x3D, 0xAE, 0xE9) : QColor(0x30, 0x8C, 0xC6));
    return palette;
}

// A minute of probes a second apart, lost at 10, 25, 26 and 40 s, flat from 48 s to 55 s.
void FillMinute(RoundTripSeries& series)
{
    for (int second = 0; second < 60; ++second) {
        const bool lost = second == 10 || second == 25 || second == 26 || second == 40;
        const double wave = 20 + 6 * std::sin(second / 2.5) + (second % 7 == 3 ? 8 : 0);
        series.Add(second * 1000, lost ? std::nullopt : std::optional<float>(second >= 48 && second < 56 ? 15 : wave));
    }
}

bool IsLossRed(QRgb pixel)
{
    return qRed(pixel) > 150 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

int CountInColumn(const QImage& image, int column, QRgb colour)
{
    int count = 0;
    for (int row = 0; row < image.height(); ++row)
        count += image.pixel(column, row) == colour ? 1 : 0;
    return count;
}

// The first column of each run of red columns that cover at least 3/4 of the height.
QList<int> LossColumns(const QImage& image)
{
    QList<int> columns;
    bool inRun = false;
    for (int column = 0; column < image.width(); ++column) {
        int red = 0;
        for (int row = 0; row < image.height(); ++row)
            red += IsLossRed(image.pixel(column, row)) ? 1 : 0;
        const bool full = red * 4 >= image.height() * 3;
        if (full && !inRun)
            columns.append(column);
        inRun = full;
    }
    return columns;
}

} // namespace

class TestRoundTripGraph : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statistics_data()
    {
        // clang-format off
        QTest::addColumn<QList<double>>("sequence");
        QTest::addColumn<int>("received");
        QTest::addColumn<QString>("loss");
        QTest::addColumn<QList<double>>("expected"); // last, average, best, worst, standard deviation, jitter
        QTest::addColumn<QString>("shownAverage");
        QTest::newRow("with loss") << QList<double>{10, x, 30} << 2 << "33.3%" << QList<double>{30, 20, 10, 30, 14.1421356, 20} << "20.0";
        QTest::newRow("last lost") << QList<double>{2, x, 4, x} << 2 << "50.0%" << QList<double>{x, 3, 2, 4, 1.41421356, 2} << "3.0";
        QTest::newRow("one sample") << QList<double>{5} << 1 << "0.0%" << QList<double>{5, 5, 5, 5, x, x} << "5.0";
        QTest::newRow("two samples") << QList<double>{1.2, 1.4} << 2 << "0.0%" << QList<double>{1.4, 1.3, 1.2, 1.4, 0.141421356, 0.2} << "1.3";
        QTest::newRow("unsorted times") << QList<double>{1, 3, 2} << 3 << "0.0%" << QList<double>{2, 2, 1, 3, 1.0, 1.5} << "2.0";
        QTest::newRow("all lost") << QList<double>{x, x, x} << 0 << "100.0%" << QList<double>{x, x, x, x, x, x} << "";
        QTest::newRow("nothing sent") << QList<double>{} << 0 << "0.0%" << QList<double>{x, x, x, x, x, x} << "";
        QTest::newRow("million near 1e6") << AlternatingMillion() << kMillion << "0.0%" << QList<double>{1e6 + 0.001, 1e6 + 0.0005, 1e6, 1e6 + 0.001, 0.00050000025, 0.001} << "1000000.0";
        // clang-format on
    }

    void statistics()
    {
        QFETCH(QList<double>, sequence);
        QFETCH(QList<double>, expected);
        RoundTripStatistics statistics;
        for (const double roundTrip : sequence)
            statistics.Add(qIsNaN(roundTrip) ? std::nullopt : std::optional<double>(roundTrip));
        QCOMPARE(statistics.Sent(), qint64(sequence.size()));
        QTEST(int(statistics.Received()), "received");
        QTEST(LossText(statistics.LossPercent()), "loss");
        QTEST(statistics.Average() ? FormatMilliseconds(*statistics.Average()) : QString(), "shownAverage");
        const std::optional<double> actual[] = {
            statistics.Last(),  statistics.Average(),           statistics.Best(),
            statistics.Worst(), statistics.StandardDeviation(), statistics.Jitter()};
        for (int index = 0; index < expected.size(); ++index) {
            QCOMPARE(actual[index].has_value(), !qIsNaN(expected[index]));
            if (actual[index])
                QVERIFY2(qAbs(*actual[index] - expected[index]) <= 1e-6 * qAbs(expected[index]) + 1e-9,
                         qPrintable(QStringLiteral("value %1 is %2").arg(index).arg(*actual[index], 0, 'g', 17)));
        }
    }

    void ringBuffer_data()
    {
        // clang-format off
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("pushes"); // of 1, 2, 3...
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("under capacity") << 3 << 2 << QList<int>{1, 2};
        QTest::newRow("full") << 3 << 3 << QList<int>{1, 2, 3};
        QTest::newRow("oldest overwritten") << 3 << 5 << QList<int>{3, 4, 5};
        QTest::newRow("wrapped many times") << 3 << 10 << QList<int>{8, 9, 10};
        QTest::newRow("no capacity") << 0 << 2 << QList<int>{};
        // clang-format on
    }

    void ringBuffer()
    {
        QFETCH(int, capacity);
        QFETCH(int, pushes);
        QFETCH(QList<int>, kept);
        RingBuffer<int> ring(capacity);
        for (int item = 1; item <= pushes; ++item)
            ring.push_back(item);
        QCOMPARE(ring.capacity(), std::size_t(capacity));
        QCOMPARE(ring.size(), std::size_t(kept.size()));
        for (int index = 0; index < kept.size(); ++index)
            QCOMPARE(ring[index], kept[index]);
        if (!kept.isEmpty())
            QCOMPARE(QList<int>({ring.front(), ring.back()}), QList<int>({kept.front(), kept.back()}));
        ring.clear();
        QVERIFY(ring.empty());
    }

    // A lost probe's wait ends after later probes came back: it still lands by send time.
    void seriesKeepsSendOrderAndCapacity()
    {
        RoundTripSeries series(4);
        series.Add(0, 1.0F);
        series.Add(2000, 2.0F);
        series.Add(1000, std::nullopt);
        QCOMPARE(QList<qint64>({series.At(0).sentMs, series.At(1).sentMs, series.At(2).sentMs}),
                 QList<qint64>({0, 1000, 2000}));
        QCOMPARE(QList<std::size_t>({series.FirstAtOrAfter(1000), series.FirstAtOrAfter(1001)}),
                 QList<std::size_t>({1, 2}));
        for (const qint64 sentMs : {3000, 4000, 5000})
            series.Add(sentMs, 3.0F);
        QCOMPARE(QList<qint64>({qint64(series.Count()), series.FirstMs(), series.LastMs()}),
                 QList<qint64>({4, 2000, 5000}));
    }

    void scrollingBackLeavesLiveAndLiveReturns()
    {
        RoundTripSeries series;
        for (int second = 0; second < 120; ++second)
            series.Add(second * 1000, 20.0F);
        RoundTripGraph graph;
        graph.findChild<QComboBox*>()->setCurrentIndex(0);
        graph.SetSeries(&series);
        auto* position = graph.findChild<QScrollBar*>();
        auto* live = graph.findChild<QCheckBox*>();
        QVERIFY(position->minimum() < position->maximum());
        QCOMPARE(position->value(), position->maximum());
        position->setValue(position->minimum());
        QVERIFY(!live->isChecked());
        series.Add(120000, 20.0F);
        graph.Refresh();
        QCOMPARE(position->value(), position->minimum());
        live->setChecked(true);
        QCOMPARE(position->value(), position->maximum());
    }

    void graphDrawing_data()
    {
        // clang-format off
        QTest::addColumn<bool>("dark");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("light") << false << 1.0;
        QTest::newRow("dark") << true << 1.0;
        QTest::newRow("light, ratio 2") << false << 2.0;
        QTest::newRow("dark, ratio 2") << true << 2.0;
        // clang-format on
    }

    void graphDrawing()
    {
        QFETCH(bool, dark);
        QFETCH(qreal, ratio);
        RoundTripSeries series;
        FillMinute(series);
        RoundTripGraph graph;
        graph.setPalette(GraphPalette(dark));
        graph.resize(640, 300);
        graph.findChild<QComboBox*>()->setCurrentIndex(1);
        graph.SetSeries(&series);
        QImage image(graph.size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        graph.render(&image);
        SaveScreenshot(image, dark, ratio);

        const QWidget* plot = graph.findChild<RoundTripPlot*>();
        const QImage drawn = image.copy(QRect(plot->pos() * ratio, plot->size() * ratio));
        const QPalette palette = GraphPalette(dark);
        QCOMPARE(drawn.pixel(1, 1), palette.color(QPalette::Base).rgb());
        const QList<int> losses = LossColumns(drawn);
        QCOMPARE(losses.size(), 4);
        const double perSecond = (losses[3] - losses[0]) / 30.0;
        const QRgb line = palette.color(QPalette::Highlight).rgb();
        for (const int loss : losses) {
            for (int column = int(loss - 0.6 * perSecond); column <= int(loss + 0.6 * perSecond); ++column)
                QCOMPARE(CountInColumn(drawn, column, line), 0);
        }
        int leftmost = drawn.width();
        int rightmost = -1;
        for (int column = 0; column < drawn.width(); ++column) {
            if (CountInColumn(drawn, column, line) > 0) {
                leftmost = std::min(leftmost, column);
                rightmost = column;
            }
        }
        QVERIFY(qAbs(leftmost - (losses[0] - 10 * perSecond)) <= 1.5);
        QVERIFY(qAbs(rightmost - (losses[3] + 19 * perSecond)) <= 1.5);
        QCOMPARE(CountInColumn(drawn, int(losses[3] + 11.5 * perSecond), line), 1);
    }

private:
    static void SaveScreenshot(const QImage& image, bool dark, qreal ratio)
    {
        const QString folder = qEnvironmentVariable("NETSONDE_SCREENSHOT_DIR");
        if (!folder.isEmpty() && ratio == 1.0)
            QVERIFY(image.save(folder + (dark ? "/graph-dark.png" : "/graph-light.png")));
    }
};

QTEST_MAIN(TestRoundTripGraph)
#include "tst_roundtripgraph.moc"
