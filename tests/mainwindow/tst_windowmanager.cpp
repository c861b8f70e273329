// SPDX-License-Identifier: GPL-3.0-or-later
// The main window under a real window manager (openbox on a virtual X
// server): where its frame lands and how the first expansion is laid out.
// Skipped where xvfb-run or openbox is missing.

#include "support/MainDialogFixture.h"
#include "support/ScriptedEchoService.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>

#include <unistd.h>

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kCentreTolerance = 3;
constexpr const char* kOwnDisplay = "NETSONDE_TEST_OWN_DISPLAY";

// What an X tool prints about the window, or about the root window when there is none.
QString RunX(const QString& program, const QWidget* window, const QStringList& arguments = {})
{
    QProcess process;
    const QStringList target = window ? QStringList{"-id", QString::number(window->winId())} : QStringList{"-root"};
    process.start(program, target + arguments);
    process.waitForFinished();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

int Field(const QString& text, const QString& label)
{
    return QRegularExpression(QRegularExpression::escape(label) + ":\\s*(-?\\d+)").match(text).captured(1).toInt();
}

// The frame as the X server has it: the client's rectangle widened by the
// frame extents the window manager announces.
QRect FrameOf(const QWidget& window)
{
    const QString info = RunX("xwininfo", &window);
    const QRect client(Field(info, "Absolute upper-left X"), Field(info, "Absolute upper-left Y"), Field(info, "Width"),
                       Field(info, "Height"));
    const QStringList sizes = RunX("xprop", &window, {"_NET_FRAME_EXTENTS"}).section('=', 1).split(',');
    if (sizes.size() != 4)
        return client;
    return client.adjusted(-sizes[0].toInt(), -sizes[2].toInt(), sizes[1].toInt(), sizes[3].toInt());
}

} // namespace

class TestWindowManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("xvfb-run or openbox is not installed");
        m_windowManager.start("openbox", {});
        if (!QTest::qWaitFor([] { return RunX("xprop", nullptr, {"_NET_SUPPORTING_WM_CHECK"}).contains("window id"); },
                             kStartTimeoutMs))
            QSKIP("openbox did not take the display");
    }
    void cleanupTestCase()
    {
        m_windowManager.terminate();
        m_windowManager.waitForFinished();
    }
    // A loaded echo service whatever the user's rights, so that a run started by a switch
    // runs as it would for a user who may ping.
    void init()
    {
        ResetSettings();
        MainDialog::SetEchoServiceLoader(
            [] { return std::make_shared<ScriptedEchoService>([](const EchoRequest&) { return echo::EchoReply{}; }); });
    }

    void rememberedPlacementStaysOnScreen_data()
    {
        // clang-format off
        QTest::addColumn<QPoint>("stored");
        QTest::newRow("above and left") << QPoint(-50, -50);
        QTest::newRow("below and right") << QPoint(5000, 5000);
        // clang-format on
    }
    void rememberedPlacementStaysOnScreen()
    {
        QFETCH(QPoint, stored);
        SettingsStore::WriteText("Window", "RememberPosition", "Yes");
        SettingsStore::WriteInt("Window", "Left", stored.x());
        SettingsStore::WriteInt("Window", "Top", stored.y());
        SettingsStore::WriteInt("Window", "Right", stored.x() + 500);
        auto dialog = OpenMainDialog();
        const QRect screen = dialog->screen()->availableGeometry();
        QTRY_VERIFY(screen.contains(FrameOf(*dialog)));
        QCOMPARE(FrameOf(*dialog).width() - 500, dialog->frameGeometry().width() - dialog->width());
    }

    void firstStartIsCentredAndExpands_data()
    {
        // clang-format off
        QTest::addColumn<int>("expandedHeight");
        QTest::addColumn<bool>("remembered");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("default height, not remembered") << 350 << false << QStringList{};
        QTest::newRow("remembered, taller than the screen") << 900 << true << QStringList{};
        QTest::newRow("Ping started by its switch") << 350 << false << QStringList{"-p", "127.0.0.1"};
        QTest::newRow("TraceRoute started by its switch") << 350 << false << QStringList{"-t", "127.0.0.1"};
        // clang-format on
    }
    // Without a stored position the window starts centred; the first
    // expansion, even one a switch makes before the window is shown, keeps
    // the pane above the status line.
    void firstStartIsCentredAndExpands()
    {
        QFETCH(int, expandedHeight);
        QFETCH(bool, remembered);
        QFETCH(QStringList, arguments);
        SettingsStore::WriteText("Window", "RememberPosition", remembered ? "Yes" : "No");
        SettingsStore::WriteInt("Window", "Height", expandedHeight);
        auto dialog = OpenMainDialog(arguments);
        const QRect screen = dialog->screen()->availableGeometry();
        const QRect frame = FrameOf(*dialog);
        QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= kCentreTolerance);
        QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= kCentreTolerance);
        QVERIFY(!RunX("xprop", dialog.get(), {"WM_NORMAL_HINTS"}).contains(QLatin1String("user specified location")));
        if (arguments.isEmpty())
            dialog->BeginRun();
        const int frameHeight = dialog->frameGeometry().height() - dialog->height();
        QTRY_COMPARE(FrameOf(*dialog).height() - frameHeight, dialog->height());
        const auto* status = Control<QStatusBar>(dialog.get(), kStatusBarControl);
        QVERIFY(dialog->Pane(dialog->CurrentFunction())->geometry().bottom() < status->y());
        QCOMPARE(status->geometry().bottom() + 1, dialog->height());
    }

private:
    QProcess m_windowManager;
};

// The test runs itself again on a virtual X server of its own, where it
// starts openbox; without xvfb-run it runs offscreen and skips.
int main(int argc, char** argv)
{
    const bool ownDisplay = qEnvironmentVariableIsSet(kOwnDisplay);
    if (!ownDisplay && !QStandardPaths::findExecutable("xvfb-run").isEmpty()) {
        qputenv(kOwnDisplay, "1");
        std::vector<char*> arguments{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"), const_cast<char*>("-s"),
                                     const_cast<char*>("-screen 0 1024x768x24 -nolisten tcp")};
        arguments.insert(arguments.end(), argv, argv + argc + 1);
        execvp("xvfb-run", arguments.data());
    }
    const bool windowManager = !QStandardPaths::findExecutable("openbox").isEmpty();
    qputenv("QT_QPA_PLATFORM", ownDisplay && windowManager ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    TestWindowManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowmanager.moc"
