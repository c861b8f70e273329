// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the compact and expanded window and the About dialog, light and
// dark, at scale 1 and 2, saved for a person to look at; checked that every
// text fits, stands out from its background and is drawn at the screen's density.

#include "MainDialogFixture.h"

#include "mainwindow/AboutDialog.h"
#include "mainwindow/SmallDialogIds.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTabBar>

#include <cstdlib>

using namespace netsonde;
using namespace netsonde::test;

class TestScreenshots : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }
    void cleanup() { QApplication::setPalette(QPalette()); }

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

private:
    static void Save(QWidget* window, const QString& name)
    {
        const QPixmap picture = window->grab();
        QVERIFY(!picture.isNull() && picture.devicePixelRatio() == qApp->devicePixelRatio());
        const QString path = QDir::current().absoluteFilePath(name + ".png");
        QVERIFY(picture.save(path));
        qInfo("picture: %s", qPrintable(path));
    }

    // The row again in a process of its own, whose screen has the scale.
    static void RunAtScale(qreal scale)
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

    static QPalette DarkPalette()
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
    static void CheckTextsReadable(QWidget* parent)
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

    static void CheckTextsFit(QWidget* parent)
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
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
