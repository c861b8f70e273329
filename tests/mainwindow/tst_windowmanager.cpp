// SPDX-License-Identifier: GPL-3.0-or-later
// The main window under a real window manager (openbox on a virtual X
// server): where its frame lands and how the first expansion is laid out.
// Skipped where the server or the window manager cannot be started.

#include "MainDialogFixture.h"
#include "RecordingFunction.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace netsonde;
using namespace netsonde::test;

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kCentreTolerance = 3;

pid_t Spawn(const QByteArray& program, const QList<QByteArray>& arguments, int displayFd = -1)
{
    std::vector<char*> argv{const_cast<char*>(program.constData())};
    for (const QByteArray& argument : arguments)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (displayFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, displayFd, 3);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? 0 : pid;
}

// The display number the server writes once it listens, up to its line
// end (the server fails if the pipe closes before); empty on failure.
QByteArray ReadDisplayNumber(int fd)
{
    QByteArray line;
    char byte = 0;
    pollfd ready{fd, POLLIN, 0};
    while (line.size() < 16 && poll(&ready, 1, kStartTimeoutMs) == 1 && read(fd, &byte, 1) == 1) {
        if (byte == '\n')
            return line;
        line.append(byte);
    }
    return {};
}

// A virtual X server with openbox on it, started before the application
// connects; the application then uses the xcb platform on it, or the
// offscreen one, with the reason, when either cannot be started.
struct CWindowManagerDisplay {
    pid_t server = 0;
    pid_t windowManager = 0;
    QString why;

    CWindowManagerDisplay()
    {
        const QString serverPath = QStandardPaths::findExecutable("Xvfb");
        const QString managerPath = QStandardPaths::findExecutable("openbox");
        int pipeFds[2] = {-1, -1};
        if (serverPath.isEmpty() || managerPath.isEmpty() || pipe(pipeFds) != 0) {
            why = "Xvfb or openbox is not installed";
        } else {
            const QList<QByteArray> arguments{"-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
            server = Spawn(serverPath.toLocal8Bit(), arguments + QList<QByteArray>{"-noreset"}, pipeFds[1]);
            close(pipeFds[1]);
            const QByteArray number = server ? ReadDisplayNumber(pipeFds[0]) : QByteArray();
            close(pipeFds[0]);
            qputenv("DISPLAY", ":" + number);
            windowManager = number.isEmpty() ? 0 : Spawn(managerPath.toLocal8Bit(), {});
            why = windowManager ? "" : "Xvfb or openbox did not start";
        }
        qputenv("QT_QPA_PLATFORM", why.isEmpty() ? "xcb" : "offscreen");
    }
    ~CWindowManagerDisplay()
    {
        for (pid_t pid : {windowManager, server}) {
            if (pid) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        }
    }
    CWindowManagerDisplay(const CWindowManagerDisplay&) = delete;
    CWindowManagerDisplay& operator=(const CWindowManagerDisplay&) = delete;
};

QString RunX(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The property of the window, or of the root window when there is none.
QString XProp(const QWidget* window, const char* property)
{
    const QStringList target = window ? QStringList{"-id", QString::number(window->winId())} : QStringList{"-root"};
    return RunX("xprop", target + QStringList{property});
}

int Field(const QString& text, const char* label)
{
    const QRegularExpression pattern(QRegularExpression::escape(QLatin1String(label))
                                     + QStringLiteral(":\\s*(-?\\d+)"));
    return pattern.match(text).captured(1).toInt();
}

// The frame as the X server has it: the client's rectangle widened by the
// frame extents the window manager announces.
QRect FrameOf(const QWidget& window)
{
    const QString info = RunX("xwininfo", {"-id", QString::number(window.winId())});
    const QRect client(Field(info, "Absolute upper-left X"), Field(info, "Absolute upper-left Y"), Field(info, "Width"),
                       Field(info, "Height"));
    const QStringList sizes = XProp(&window, "_NET_FRAME_EXTENTS").section(QLatin1Char('='), 1).split(QLatin1Char(','));
    if (sizes.size() != 4)
        return client;
    return client.adjusted(-sizes[0].toInt(), -sizes[2].toInt(), sizes[1].toInt(), sizes[3].toInt());
}

QString g_whyUnavailable;

} // namespace

class TestWindowManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!g_whyUnavailable.isEmpty())
            QSKIP(qPrintable(g_whyUnavailable));
        for (int waited = 0; !XProp(nullptr, "_NET_SUPPORTING_WM_CHECK").contains(QLatin1String("window id"));
             waited += 100) {
            if (waited >= kStartTimeoutMs)
                QSKIP("openbox did not take the display");
            QTest::qWait(100);
        }
    }
    void init() { ResetSettings(); }

    void rememberedPlacementStaysOnScreen_data()
    {
        QTest::addColumn<QPoint>("stored");
        QTest::newRow("above and left") << QPoint(-50, -50);
        QTest::newRow("below and right") << QPoint(5000, 5000);
        QTest::newRow("at the corner") << QPoint(0, 0);
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
        QTest::addColumn<int>("expandedHeight");
        QTest::addColumn<bool>("bRemembered");
        QTest::newRow("default height, not remembered") << 350 << false;
        QTest::newRow("remembered, taller than the screen") << 900 << true;
    }
    // Without a stored position the window starts centred; the first
    // expansion keeps the pane above the status line.
    void firstStartIsCentredAndExpands()
    {
        QFETCH(int, expandedHeight);
        QFETCH(bool, bRemembered);
        SettingsStore::WriteText("Window", "RememberPosition", bRemembered ? "Yes" : "No");
        SettingsStore::WriteInt("Window", "Height", expandedHeight);
        auto dialog = OpenMainDialog();
        const QRect screen = dialog->screen()->availableGeometry();
        const QRect frame = FrameOf(*dialog);
        QVERIFY(frame.top() >= 0);
        QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= kCentreTolerance);
        QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= kCentreTolerance);
        QVERIFY(!XProp(dialog.get(), "WM_NORMAL_HINTS").contains(QLatin1String("user specified location")));
        dialog->Runs().SetFunction(FunctionId::Ping,
                                   std::make_unique<CRecordingFunction>([&dialog] { dialog->BeginRun(); }));
        QTest::mouseClick(Control<QPushButton>(dialog.get(), IDC_GO), Qt::LeftButton);
        const int frameHeight = dialog->frameGeometry().height() - dialog->height();
        QTRY_COMPARE(FrameOf(*dialog).height() - frameHeight, dialog->height());
        const auto* status = Control<QStatusBar>(dialog.get(), IDC_STATUS_BAR);
        QVERIFY(dialog->Pane(FunctionId::Ping)->geometry().bottom() < status->y());
        QCOMPARE(status->geometry().bottom() + 1, dialog->height());
    }
};

int main(int argc, char** argv)
{
    const CWindowManagerDisplay display;
    g_whyUnavailable = display.why;
    QApplication app(argc, argv);
    TestWindowManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowmanager.moc"
