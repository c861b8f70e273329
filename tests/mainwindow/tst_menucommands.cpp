// SPDX-License-Identifier: GPL-3.0-or-later
// The menu commands that open something: Output Font with its stored
// record, help on F1, the two links, Winsock Information and About. Pictures
// of the compact and expanded window and the About dialog, light and dark, at
// scale 1 and 2, saved for a person to look at; checked that every text fits,
// stands out from its background and is drawn at the screen's density.

#include "CommonDialogsAnswers.h"
#include "MainDialogFixture.h"

#include "mainwindow/AboutDialog.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/SmallDialogIds.h"
#include "mainwindow/WebLinks.h"
#include "mainwindow/WinsockInfoDialog.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTabBar>

#include <cstdlib>

using namespace netsonde;
using namespace netsonde::test;

namespace {

const FunctionId kTextPanes[] = {FunctionId::Finger, FunctionId::WhoIs, FunctionId::NameServerLookUp,
                                 FunctionId::QuoteOfDay};

SocketStartupRecord Record(std::uint16_t version, std::uint16_t highest)
{
    return {version, highest, "Linux BSD sockets, kernel 6.1.0", "Running", 1024, 65507, {}};
}

QString LabelText(const QWidget* dialog, int id) { return Control<QLabel>(dialog, id)->text(); }

void Save(QWidget* window, const QString& name)
{
    const QPixmap picture = window->grab();
    QVERIFY(!picture.isNull() && picture.devicePixelRatio() == qApp->devicePixelRatio());
    const QString path = QDir::current().absoluteFilePath(name + ".png");
    QVERIFY(picture.save(path));
    qInfo("picture: %s", qPrintable(path));
}

// The row again in a process of its own, whose screen has the scale.
void RunAtScale(qreal scale)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  {"compactAndExpandedWindows:" + QString::fromLatin1(QTest::currentDataTag())});
    QVERIFY(process.waitForFinished(-1));
    const QByteArray output = process.readAll();
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, output.constData());
}

QPalette DarkPalette()
{
    QPalette palette(QColor(53, 53, 53), QColor(45, 45, 45));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, QColor(230, 230, 230));
    palette.setColor(QPalette::Base, QColor(30, 30, 30));
    return palette;
}

// Every visible enabled widget's text colour differs from its
// background's in lightness by at least a third of the scale (disabled
// texts are dimmed on purpose).
void CheckTextsReadable(QWidget* parent)
{
    for (QWidget* widget : parent->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(parent) || !widget->isEnabled())
            continue;
        const QPalette& palette = widget->palette();
        const int text = palette.color(widget->foregroundRole()).lightness();
        const int background = palette.color(widget->backgroundRole()).lightness();
        QVERIFY2(std::abs(text - background) >= 85, qPrintable(widget->metaObject()->className()));
    }
}

void CheckTextsFit(QWidget* parent)
{
    for (QLabel* label : parent->findChildren<QLabel*>()) {
        if (label->isVisibleTo(parent) && !label->text().isEmpty() && label->buddy())
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
    }
    for (QAbstractButton* button : parent->findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(parent) && !button->text().isEmpty())
            QVERIFY2(button->width() >= button->sizeHint().width() - 2, qPrintable(button->text()));
    }
}

} // namespace

class TestMenuCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }
    void cleanup() { QApplication::setPalette(QPalette()); }

    // A cancelled font dialog changes nothing; a chosen font goes to the
    // text panes and the store, and comes back at the next start. The other
    // commands open their dialogs and addresses.
    void outputFontAndTheOtherCommands()
    {
        CCommonDialogsAnswers answers;
        QFont listFont;
        int chosenPixelSize = 0;
        {
            auto dialog = OpenMainDialog();
            const QFont before = dialog->TextPane(FunctionId::WhoIs)->font();
            dialog->Command(ID_OUTPUT_FONT)->trigger();
            QCOMPARE(dialog->TextPane(FunctionId::WhoIs)->font(), before);
            QVERIFY(SettingsStore::ReadText("Options", "Font").isEmpty());
            QFont offered;
            CommonDialogs().chooseFont = [&offered](QWidget*, const QFont& initial) {
                offered = initial;
                QFont chosen("DejaVu Sans Mono", 13);
                chosen.setUnderline(true);
                return std::optional<QFont>(chosen);
            };
            listFont = dialog->ResultList(FunctionId::Ping)->font();
            QTest::keyClick(dialog->Page(FunctionId::Ping)->HostCombo(), Qt::Key_F10);
            QCOMPARE(offered, before);
            for (FunctionId id : kTextPanes) {
                QVERIFY(dialog->TextPane(id)->font().family() == "DejaVu Sans Mono");
                QVERIFY(!dialog->TextPane(id)->font().underline());
            }
            QCOMPARE(dialog->ResultList(FunctionId::Ping)->font(), listFont);
            chosenPixelSize = QFontInfo(dialog->TextPane(FunctionId::Finger)->font()).pixelSize();
            const QString stored = SettingsStore::ReadText("Options", "Font");
            QVERIFY2(stored.endsWith(QLatin1String(",DejaVu_Sans_Mono")), qPrintable(stored));
            QCOMPARE(stored.count(QLatin1Char(',')), 13);
        }
        auto restarted = OpenMainDialog();
        for (FunctionId id : kTextPanes) {
            QCOMPARE(restarted->TextPane(id)->font().family(), QStringLiteral("DejaVu Sans Mono"));
            QCOMPARE(QFontInfo(restarted->TextPane(id)->font()).pixelSize(), chosenPixelSize);
        }
        for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute})
            QCOMPARE(restarted->ResultList(id)->font(), listFont);

        for (int command : {ID_WINSOCK_INFORMATION, ID_ABOUT, ID_VISIT_HOMEPAGE, ID_GIVE_FEEDBACK})
            restarted->Command(command)->trigger();
        QCOMPARE(answers.modalIds, (QList<int>{IDD_WINSOCK_INFO, IDD_ABOUTBOX}));
        QCOMPARE(answers.openedUrls, (QList<QUrl>{HomepageUrl(), FeedbackUrl()}));
    }

    void saveDialogOptions()
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        ConfigureSaveDialog(dialog);
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("txt"));
        QCOMPARE(dialog.nameFilters(), (QStringList{"Text Files (*.txt)", "All Files (*.*)"}));
        QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(QFileInfo(dialog.selectedFiles().value(0)).completeBaseName(), QStringLiteral("Output"));
    }

    void winsockInformationValues()
    {
        CWinsockInfoDialog information(Record(MakeSocketVersion(1, 1), MakeSocketVersion(2, 2)));
        QCOMPARE(DialogId(&information), IDD_WINSOCK_INFO);
        QCOMPARE(information.windowTitle(), QStringLiteral("Winsock Information"));
        QStringList texts;
        for (int id : {IDC_WINSOCK_VERSION, IDC_WINSOCK_HIGHEST, IDC_WINSOCK_MAX_SOCKETS, IDC_WINSOCK_MAX_UDP})
            texts << LabelText(&information, id);
        QCOMPARE(texts, (QStringList{"1.1", "2.2", "1024", "65507"}));
        QCOMPARE(information.m_strGeneral, QStringLiteral("Linux BSD sockets, kernel 6.1.0\r\nRunning\r\n"));
        QCOMPARE(Control<QPlainTextEdit>(&information, IDC_WINSOCK_GENERAL)->toPlainText(),
                 QStringLiteral("Linux BSD sockets, kernel 6.1.0\nRunning\n"));

        information.show();
        QVERIFY(QTest::qWaitForWindowExposed(&information));
        Save(&information, QStringLiteral("winsockinfo"));
        const QList<QLabel*> labels = information.findChildren<QLabel*>();
        for (const QLabel* label : labels) {
            QVERIFY2(information.rect().contains(label->geometry()), qPrintable(label->text()));
            for (const QLabel* other : labels)
                QVERIFY2(label == other || !label->geometry().intersects(other->geometry()), qPrintable(label->text()));
        }

        // Low byte major, high byte minor; the ICMP method follows the system's texts.
        CWinsockInfoDialog swapped(Record(0x0201, 0x0202), QStringLiteral("ICMP: raw socket"));
        QCOMPARE(LabelText(&swapped, IDC_WINSOCK_VERSION), QStringLiteral("1.2"));
        QCOMPARE(swapped.m_strGeneral, information.m_strGeneral + "\r\nICMP: raw socket");
    }

    void aboutDialogControlsAndLinks()
    {
        CCommonDialogsAnswers answers;
        CAboutDialog about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Netsonde"));
        QVERIFY(about.m_strText.startsWith(QLatin1String("\r\nNetsonde Version 2.1a\r\n")));
        QCOMPARE(about.m_strText.count(QStringLiteral("\r\n")), 3);
        QCOMPARE(LabelText(&about, IDC_ABOUT_TEXT), QString(about.m_strText).replace("\r\n", "\n"));
        QVERIFY(!Control<QLabel>(&about, IDC_ABOUT_ICON)->pixmap().isNull());
        const auto button = [&about](int id) { return Control<QPushButton>(&about, id); };
        QCOMPARE(button(IDC_ABOUT_FEEDBACK)->text() + '|' + button(IDC_ABOUT_HOMEPAGE)->text() + '|'
                     + button(IDC_ABOUT_CLOSE)->text(), "Feedback|Visit Netsonde Homepage|Close");
        QVERIFY(button(IDC_ABOUT_CLOSE)->isDefault());

        // The logo's key colour (its top-left pixel's) shows the dialog behind
        // it; its other colours are drawn as they are.
        const QImage logo(QStringLiteral(":/logo.xpm"));
        QCOMPARE(logo.size(), QSize(120, 28));
        const QImage drawn = about.grab().toImage();
        const QColor background = about.palette().color(QPalette::Window);
        const QPoint at = about.LogoPosition();
        int keyPixels = 0;
        for (int y = 0; y < logo.height(); ++y) {
            for (int x = 0; x < logo.width(); ++x) {
                const bool key = logo.pixel(x, y) == logo.pixel(0, 0);
                keyPixels += key;
                QCOMPARE(drawn.pixel(at + QPoint(x, y)), key ? background.rgb() : logo.pixelColor(x, y).rgb());
            }
        }
        QVERIFY(keyPixels > 0 && keyPixels < logo.width() * logo.height());

        for (int id : {IDC_ABOUT_FEEDBACK, IDC_ABOUT_HOMEPAGE, IDC_ABOUT_CLOSE})
            QTest::mouseClick(button(id), Qt::LeftButton);
        QCOMPARE(answers.openedUrls, (QList<QUrl>{FeedbackUrl(), HomepageUrl()}));
        QVERIFY(FeedbackUrl().scheme() == "mailto" && HomepageUrl().scheme() == "https");
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void helpOnF1AndItsPages()
    {
        auto dialog = OpenMainDialog();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(dialog->Page(FunctionId::Ping)->HostCombo(), Qt::Key_F1);
        auto* help = dialog->findChild<CHelpWindow*>();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->CurrentPage(), CHelpWindow::ContentsPage());
        QCOMPARE(help->CurrentTitle(), QStringLiteral("Netsonde Help"));
        Save(help, QStringLiteral("help"));

        dialog->Command(ID_HELP_ON_HELP)->trigger();
        QCOMPARE(dialog->findChildren<CHelpWindow*>().size(), 1);
        QCOMPARE(help->CurrentPage(), CHelpWindow::HelpOnHelpPage());
        QCOMPARE(help->CurrentTitle(), QStringLiteral("Using Help"));

        // Every page the contents link to is compiled in, and each page has a
        // title of its own.
        QFile contents(":/help/index.html");
        QVERIFY(contents.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(contents.read(1 << 16));
        QStringList pages;
        for (const QRegularExpressionMatch& match : QRegularExpression("href=\"([^\"]+)\"").globalMatch(html))
            pages.append(match.captured(1));
        for (const char* page : {"ping.html", "traceroute.html", "finger.html", "whois.html", "nslookup.html",
                                    "qod.html", "file-menu.html", "options-menu.html", "help-menu.html",
                                    "using-help.html"})
            QVERIFY2(pages.contains(QLatin1String(page)), page);
        QStringList titles;
        for (const QString& page : pages) {
            help->ShowPage(QUrl("qrc:/help/" + page));
            QVERIFY2(!help->CurrentTitle().isEmpty(), qPrintable(page));
            QVERIFY2(!titles.contains(help->CurrentTitle()), qPrintable(page));
            titles.append(help->CurrentTitle());
        }
    }

    void compactAndExpandedWindows_data()
    {
        QTest::addColumn<bool>("bDark");
        QTest::addColumn<qreal>("scale");
        QTest::newRow("light") << false << 1.0;
        QTest::newRow("dark") << true << 1.0;
        QTest::newRow("light-2x") << false << 2.0;
        QTest::newRow("dark-2x") << true << 2.0;
    }

    void compactAndExpandedWindows()
    {
        QFETCH(bool, bDark);
        QFETCH(qreal, scale);
        if (!qFuzzyCompare(qApp->devicePixelRatio(), scale))
            return RunAtScale(scale);
        if (bDark)
            QApplication::setPalette(DarkPalette());
        const QString row = QString::fromLatin1(QTest::currentDataTag());

        auto dialog = OpenMainDialog();
        for (int tab = 0; tab < kFunctionCount; ++tab) {
            dialog->TabControl()->SetCurrentIndex(tab);
            CPropertyPage* page = dialog->Page(static_cast<FunctionId>(tab));
            CheckTextsFit(page);
            QVERIFY(page->y() > dialog->TabControl()->TabBar()->geometry().bottom());
            for (QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                QVERIFY2(page->rect().contains(control->geometry()), qPrintable(control->metaObject()->className()));
        }
        CheckTextsFit(dialog.get());
        CheckTextsReadable(dialog.get());
        dialog->SelectFunction(FunctionId::Finger);
        Save(dialog.get(), "compact-" + row);

        dialog->BeginRun();
        dialog->TextPane(FunctionId::Finger)->SetText("Login: ann\r\nName: Ann Example\r\nDirectory: /home/ann\r\n");
        dialog->SetStatusText("Connected to example.test");
        dialog->OnStop();
        QCOMPARE(dialog->height(), 350);
        CheckTextsReadable(dialog.get());
        Save(dialog.get(), "expanded-" + row);

        CAboutDialog about(dialog.get());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        CheckTextsFit(&about);
        CheckTextsReadable(&about);
        QCOMPARE(Control<QLabel>(&about, IDC_ABOUT_ICON)->pixmap().devicePixelRatio(), scale);
        Save(&about, "about-" + row);
    }
};

QTEST_MAIN(TestMenuCommands)
#include "tst_menucommands.moc"
