// Pictures of the compact and the expanded window, written next to the test
// for a person to look at, with the checks a picture can't give by itself:
// every label and button shows its whole text.

#include "MainDialogFixture.h"

#include "mainwindow/OutputPane.h"
#include "mainwindow/TabControl.h"
#include "pages/PropertyPage.h"
#include "resources/ResourceIds.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QTabBar>

using namespace netsonde;
using namespace netsonde::test;

class TestScreenshots : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { ResetSettings(); }

    void compactAndExpandedWindows()
    {
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
        dialog->SelectFunction(FunctionId::Finger);
        Save(dialog.get(), QStringLiteral("compact.png"));

        dialog->BeginRun();
        dialog->TextPane(FunctionId::Finger)->SetText(
            QStringLiteral("Login: ann\r\nName: Ann Example\r\nDirectory: /home/ann\r\n"));
        dialog->SetStatusText(QStringLiteral("Connected to example.test"));
        dialog->OnStop();
        QCOMPARE(dialog->height(), 350);
        Save(dialog.get(), QStringLiteral("expanded.png"));
    }

private:
    static void Save(QWidget* window, const QString& name)
    {
        const QPixmap picture = window->grab();
        QVERIFY(!picture.isNull());
        const QString path = QDir::current().absoluteFilePath(name);
        QVERIFY(picture.save(path));
        qInfo("picture: %s", qPrintable(path));
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
