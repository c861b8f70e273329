// SPDX-License-Identifier: GPL-3.0-or-later
// The Phonebook dialog on real files: what it shows, what each control does
// to the file at once, and what Use hands to the main window's pages.

#include "mainwindow/MainDialogFixture.h"

#include "phonebook/Phonebook.h"
#include "mainwindow/phonebook/PhonebookCommand.h"
#include "mainwindow/phonebook/PhonebookDialog.h"
#include "mainwindow/phonebook/PhonebookDialogIds.h"

#include "phonebook/PhonebookFiles.h"
#include "support/FileHelpers.h"

#include <QClipboard>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace netsonde;
using namespace netsonde::test;

namespace {

const QString kOpenFailure = QStringLiteral("Cannot open or create Netsonde.pbk");

QLineEdit* AddressEdit(const QWidget* d) { return Control<QLineEdit>(d, IDC_PHONEBOOK_ADDRESS); }
QListWidget* List(const QWidget* d) { return Control<QListWidget>(d, IDC_PHONEBOOK_LIST); }
QPlainTextEdit* NoteEdit(const QWidget* d) { return Control<QPlainTextEdit>(d, IDC_PHONEBOOK_NOTE); }
QPushButton* Button(const QWidget* d, int id) { return Control<QPushButton>(d, id); }
void Click(const QWidget* d, int id) { QTest::mouseClick(Button(d, id), Qt::LeftButton); }
QString Note(const QWidget* d) { return NoteEdit(d)->toPlainText(); }

QLineEdit* UserEdit(const CPropertyPage* p, FunctionId f)
{
    return Control<QLineEdit>(p, f == FunctionId::Finger ? IDC_FINGER_USER : IDC_WHOIS_USER);
}

QStringList ListTexts(const QWidget* d)
{
    QStringList texts;
    for (int row = 0; row < List(d)->count(); ++row)
        texts << List(d)->item(row)->text();
    return texts;
}

int SelectedRow(const QWidget* d)
{
    const auto selected = List(d)->selectedItems();
    return selected.isEmpty() ? -1 : List(d)->row(selected.first());
}

// Remove, Use and the note box go together.
bool EntryControlsEnabled(const QWidget* d)
{
    const bool remove = Button(d, IDC_PHONEBOOK_REMOVE)->isEnabled();
    if (Button(d, IDC_PHONEBOOK_USE)->isEnabled() != remove || NoteEdit(d)->isEnabled() != remove)
        qFatal("Remove, Use and the note box disagree");
    return remove;
}

// Whether Add and the entry controls are enabled, and the note shown.
QString State(const QWidget* d)
{
    const auto onOff = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
    const bool add = Button(d, IDC_PHONEBOOK_ADD)->isEnabled();
    return QStringLiteral("add %1, entry %2: %3").arg(onOff(add), onOff(EntryControlsEnabled(d)), Note(d));
}

void TypeAddress(const QWidget* d, const QString& text, bool add = false)
{
    AddressEdit(d)->clear();
    QTest::keyClicks(AddressEdit(d), text);
    if (add)
        Click(d, IDC_PHONEBOOK_ADD);
}

void SelectRow(const QWidget* d, int row)
{
    QListWidget* list = List(d);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void RetypeNote(const QWidget* d, const QString& text)
{
    NoteEdit(d)->selectAll();
    QTest::keyClick(NoteEdit(d), Qt::Key_Delete);
    QTest::keyClicks(NoteEdit(d), text);
}

// Runs the command of the main dialog and the check on the Phonebook dialog
// it shows modally, then closes that dialog unless the check did.
void RunWhileOpen(CMainDialog* mainDialog, std::function<void(CPhonebookDialog*)> check)
{
    QTimer::singleShot(0, [check] {
        auto* dialog = qobject_cast<CPhonebookDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            qFatal("the Phonebook dialog is not shown modally");
        check(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QAction* command = mainDialog->Command(ID_PHONEBOOK);
    QVERIFY(command && command->isEnabled());
    command->trigger();
}

std::unique_ptr<CPhonebookDialog> OpenDialog(const QString& preset = {})
{
    auto dialog = std::make_unique<CPhonebookDialog>(nullptr, preset);
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get()))
        qWarning("Phonebook dialog not exposed");
    return dialog;
}

} // namespace

class TestPhonebookDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each case gets an empty data folder of its own inside the test's data folder.
    void init()
    {
        const QString base = qEnvironmentVariable("XDG_DATA_HOME", QDir::tempPath());
        QVERIFY(QDir().mkpath(base));
        m_dataHome = std::make_unique<QTemporaryDir>(base + QStringLiteral("/case-XXXXXX"));
        QVERIFY(m_dataHome->isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome->path()));
        m_path = CPhonebook::DefaultFilePath();
        QVERIFY(m_path.startsWith(m_dataHome->path()));
        ResetSettings();
        // The last case's recorder goes first: it puts back the handler it found.
        m_messages.reset();
        m_messages = std::make_unique<CMessageBoxRecorder>();
    }

    void controlsAndTexts()
    {
        auto dialog = OpenDialog();
        const QWidget* d = dialog.get();
        const std::pair<int, const char*> buttons[] = {{IDC_PHONEBOOK_ADD, "&Add"}, {IDC_PHONEBOOK_REMOVE, "&Remove"},
            {IDC_PHONEBOOK_USE, "&Use"}, {IDC_PHONEBOOK_HELP, "&Help"}, {IDC_PHONEBOOK_CLOSE, "&Close"}};
        for (const auto& [id, text] : buttons) {
            QCOMPARE(Button(d, id)->text(), QString::fromLatin1(text));
            QVERIFY2(Button(d, id)->width() >= Button(d, id)->sizeHint().width(), text);
        }
        for (const QWidget* child : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(d->rect().contains(child->geometry()), child->metaObject()->className());
        QVERIFY(Button(d, IDC_PHONEBOOK_USE)->isDefault());
        QStringList groups;
        for (const QGroupBox* group : d->findChildren<QGroupBox*>())
            groups << group->title();
        QCOMPARE(groups, (QStringList{"Add", "Addresses", "Notes"}));
        QCOMPARE(List(d)->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(NoteEdit(d)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }

    void presetAddressFromCurrentPage_data()
    {
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("preset");
        QTest::newRow("Ping") << FunctionId::Ping << "" << "ping.example" << "ping.example";
        QTest::newRow("Finger user@host") << FunctionId::Finger << "ann" << "finger.example" << "ann@finger.example";
        QTest::newRow("Finger host only") << FunctionId::Finger << "" << "finger.example" << "finger.example";
        QTest::newRow("Finger user only") << FunctionId::Finger << "ann" << "" << "ann";
        QTest::newRow("WhoIs user and host") << FunctionId::WhoIs << "bob" << "whois.example" << "bob@whois.example";
        QTest::newRow("WhoIs neither") << FunctionId::WhoIs << "" << "" << "";
    }

    void presetAddressFromCurrentPage()
    {
        QFETCH(FunctionId, function);
        QFETCH(QString, user);
        QFETCH(QString, host);
        QFETCH(QString, preset);
        auto mainDialog = OpenMainDialog();
        InstallPhonebookCommand(*mainDialog);
        mainDialog->SelectFunction(function);
        CPropertyPage* page = mainDialog->Page(function);
        // The fields as typed: the command reads the controls, not the members.
        page->HostCombo()->setEditText(host);
        if (qobject_cast<CUserHostPage*>(page))
            UserEdit(page, function)->setText(user);
        int contentsShown = 0;
        mainDialog->SetCommandHandler(ID_HELP_CONTENTS, [&contentsShown] { ++contentsShown; });
        bool shown = false;
        RunWhileOpen(mainDialog.get(), [&](CPhonebookDialog* dialog) {
            shown = true;
            Click(dialog, IDC_PHONEBOOK_HELP);
            QVERIFY(dialog->isVisible());
            QCOMPARE(AddressEdit(dialog)->text(), preset);
            QCOMPARE(State(dialog), preset.isEmpty() ? "add off, entry off: " : "add on, entry off: ");
            QVERIFY(dialog->Phonebook().IsOpen() && QFileInfo::exists(m_path));
        });
        QVERIFY(shown);
        QCOMPARE(contentsShown, 1);
        QCOMPARE(page->m_strHost, host);
        // Closed without adding: the new file stays empty.
        QCOMPARE(QFileInfo(m_path).size(), 0);
        QVERIFY(m_messages->Texts().isEmpty());
    }

    void overLongPresetIsRefused()
    {
        const QString longAddress = QStringLiteral("someone@") + QString(43, QLatin1Char('h'));
        auto dialog = OpenDialog(longAddress);
        const QWidget* d = dialog.get();
        QCOMPARE(State(d), "add on, entry off: ");
        // Typing cannot lengthen it, but it can be shortened.
        QTest::keyClick(AddressEdit(d), Qt::Key_End);
        QTest::keyClick(AddressEdit(d), Qt::Key_X);
        QCOMPARE(AddressEdit(d)->text(), longAddress);
        Click(d, IDC_PHONEBOOK_ADD);
        QCOMPARE(m_messages->Texts(), QStringList{"Please enter no more than 50 characters."});
        QTest::keyClick(AddressEdit(d), Qt::Key_Backspace);
        Click(d, IDC_PHONEBOOK_ADD);
        QCOMPARE(ListTexts(d), QStringList{longAddress.chopped(1)});
        QCOMPARE(FileBytes(m_path), Record(longAddress.chopped(1).toLatin1()));
        // Typed text stops at 50 characters.
        TypeAddress(d, QString(60, QLatin1Char('t')));
        QCOMPARE(AddressEdit(d)->text(), QString(50, QLatin1Char('t')));
    }

    void enableRulesAndNotes()
    {
        QVERIFY(WriteFile(m_path, Record("alpha", "first note") + Record("beta", "second note")));
        auto dialog = OpenDialog();
        const QWidget* d = dialog.get();
        QCOMPARE(ListTexts(d), (QStringList{"alpha", "beta"}));
        QCOMPARE(State(d), "add off, entry off: ");
        TypeAddress(d, QStringLiteral("x"));
        QCOMPARE(State(d), "add on, entry off: ");
        QTest::keyClick(AddressEdit(d), Qt::Key_Backspace);
        QCOMPARE(State(d), "add off, entry off: "); // nothing selected
        SelectRow(d, 1);
        QCOMPARE(State(d), "add off, entry on: second note");

        // An address being typed takes the entry controls away and hides the note.
        TypeAddress(d, QStringLiteral("gamma"));
        QCOMPARE(State(d), "add on, entry off: ");
        QCOMPARE(SelectedRow(d), 1);

        // Emptied again: the selected entry's controls and its note come back,
        // so that an edit changes the note that is shown.
        AddressEdit(d)->selectAll();
        QTest::keyClick(AddressEdit(d), Qt::Key_Delete);
        QCOMPARE(State(d), "add off, entry on: second note");
        // Each edit is written at once, a line end as CR LF. Typing stops when
        // the note's 200 bytes are full (no terminating zero byte then), and a
        // paste is cut to what still fits.
        QTest::keyClick(NoteEdit(d), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(NoteEdit(d), QStringLiteral("!"));
        QTest::keyClick(NoteEdit(d), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(NoteEdit(d), QStringLiteral("two"));
        const QByteArray alpha = Record("alpha", "first note");
        QCOMPARE(FileBytes(m_path), alpha + Record("beta", "second note!\r\ntwo"));
        RetypeNote(d, QString(210, QLatin1Char('n')));
        QCOMPARE(Note(d), QString(200, QLatin1Char('n')));
        QCOMPARE(FileBytes(m_path), alpha + Record("beta", QByteArray(200, 'n')));
        RetypeNote(d, QString(180, QLatin1Char('p')));
        QApplication::clipboard()->setText(QString(50, QLatin1Char('q')));
        NoteEdit(d)->paste();
        QCOMPARE(FileBytes(m_path), alpha + Record("beta", QByteArray(180, 'p') + QByteArray(20, 'q')));
        QVERIFY(m_messages->Texts().isEmpty());
    }

    void addAndRemove()
    {
        auto dialog = OpenDialog();
        const QWidget* d = dialog.get();
        TypeAddress(d, QStringLiteral("zeta.example"), true);
        QCOMPARE(AddressEdit(d)->text(), QString());
        QCOMPARE(State(d), "add off, entry off: ");
        TypeAddress(d, QStringLiteral("Bravo"), true);
        TypeAddress(d, QStringLiteral("alpha"), true);
        QCOMPARE(ListTexts(d), (QStringList{"alpha", "Bravo", "zeta.example"}));
        QCOMPARE(SelectedRow(d), -1); // a new entry is not selected
        QCOMPARE(FileBytes(m_path), Record("zeta.example") + Record("Bravo") + Record("alpha"));

        // A case-only duplicate is refused and stays typed; a prefix is added.
        TypeAddress(d, QStringLiteral("bravo"), true);
        QCOMPARE(m_messages->Texts(), QStringList{"This address is already present in the phonebook"});
        QCOMPARE(AddressEdit(d)->text(), QStringLiteral("bravo"));
        TypeAddress(d, QStringLiteral("Brav"), true);
        QCOMPARE(ListTexts(d), (QStringList{"alpha", "Brav", "Bravo", "zeta.example"}));
        m_messages->Clear();

        // An entry added while another is selected leaves that selection alone.
        SelectRow(d, 1);
        TypeAddress(d, QStringLiteral("aardvark"), true);
        QCOMPARE(List(d)->selectedItems().first()->text(), QStringLiteral("Brav"));

        // Remove selects the entry that takes the removed one's place, or for
        // the last entry the one before it.
        SelectRow(d, 2); // Brav, record 3
        Click(d, IDC_PHONEBOOK_REMOVE);
        QCOMPARE(ListTexts(d), (QStringList{"aardvark", "alpha", "Bravo", "zeta.example"}));
        QCOMPARE(SelectedRow(d), 2);
        QVERIFY(EntryControlsEnabled(d));
        QCOMPARE(FileBytes(m_path).sliced(3 * 250, 250), Record("Empty"));
        SelectRow(d, 3);
        Click(d, IDC_PHONEBOOK_REMOVE);
        QCOMPARE(ListTexts(d), (QStringList{"aardvark", "alpha", "Bravo"}));
        QCOMPARE(SelectedRow(d), 2);
        for (int left = 3; left > 0; --left)
            Click(d, IDC_PHONEBOOK_REMOVE);
        QCOMPARE(List(d)->count(), 0);
        QCOMPARE(State(d), "add off, entry off: ");
        QCOMPARE(FileBytes(m_path), QByteArray(Record("Empty").repeated(5)));
        QVERIFY(m_messages->Texts().isEmpty());
        dialog->accept();
        QVERIFY(!dialog->Phonebook().IsOpen());
    }

    // An address ends at its first zero character, preset or pasted.
    void addressEndsAtNul()
    {
        const QString tail = QChar::Null + QStringLiteral("tail");
        auto dialog = OpenDialog("preset.example" + tail);
        const QWidget* d = dialog.get();
        QCOMPARE(AddressEdit(d)->text(), "preset.example" + tail);
        Click(d, IDC_PHONEBOOK_ADD);
        QApplication::clipboard()->setText("pasted.example" + tail);
        AddressEdit(d)->paste();
        QCOMPARE(AddressEdit(d)->text(), "pasted.example" + tail);
        Click(d, IDC_PHONEBOOK_ADD);
        QCOMPARE(ListTexts(d), (QStringList{"pasted.example", "preset.example"}));
        QCOMPARE(AddressEdit(d)->text(), QString());
        QCOMPARE(FileBytes(m_path), Record("preset.example") + Record("pasted.example"));
        QVERIFY(m_messages->Texts().isEmpty());
    }

    // A selection reads its note from the file again. A note another program
    // wrote in Latin-1: typing at its end appends UTF-8 and leaves the old
    // bytes alone, and so does Backspace.
    void notesWrittenElsewhere()
    {
        QVERIFY(WriteFile(m_path, Record("a", "old") + Record("b")));
        auto dialog = OpenDialog();
        const QWidget* d = dialog.get();
        SelectRow(d, 0);
        QCOMPARE(Note(d), QStringLiteral("old"));
        const QByteArray latin1 = "caf\xe9\r\nna\xefve";
        QVERIFY(WriteFile(m_path, Record("a", latin1) + Record("b")));
        SelectRow(d, 1);
        SelectRow(d, 0);
        QCOMPARE(Note(d), QStringLiteral("caf\u00e9\nna\u00efve"));
        QTest::keyClick(NoteEdit(d), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(NoteEdit(d), Qt::Key_Backspace);
        QTest::keyClicks(NoteEdit(d), QStringLiteral("e"));
        QTest::sendKeyEvent(QTest::Click, NoteEdit(d), Qt::Key_Udiaeresis, QStringLiteral("\u00fc"), Qt::NoModifier);
        QCOMPARE(FileBytes(m_path), Record("a", latin1 + "\xc3\xbc") + Record("b"));
        QVERIFY(m_messages->Texts().isEmpty());
    }

    // A beginning of a Recent List entry shows as the whole entry; with smart
    // splitting, user and host go to their fields.
    void useFillsTheCurrentPage_data()
    {
        QTest::addColumn<FunctionId>("function");
        QTest::addColumn<bool>("smart");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::newRow("Finger split") << FunctionId::Finger << true << 0 << "Use" << "finger.example" << "ann";
        QTest::newRow("WhoIs whole") << FunctionId::WhoIs << false << 1 << "Use" << "bob@whois.example" << "";
        QTest::newRow("Ping, Enter") << FunctionId::Ping << true << 2 << "Enter" << "ping.example" << "";
        QTest::newRow("TraceRoute, double-click, Recent List entry")
            << FunctionId::TraceRoute << true << 3 << "double-click" << "trace.example.org" << "";
    }

    void useFillsTheCurrentPage()
    {
        QFETCH(FunctionId, function);
        QFETCH(int, row);
        QFETCH(QString, how);
        QFETCH(bool, smart);
        QVERIFY(WriteFile(m_path, Record("ann@finger.example") + Record("bob@whois.example") + Record("ping.example")
                                      + Record("trace.ex")));
        auto mainDialog = OpenMainDialog();
        InstallPhonebookCommand(*mainDialog);
        mainDialog->SetSmartSplitting(smart);
        mainDialog->SelectFunction(function);
        CPropertyPage* page = mainDialog->Page(function);
        page->AddRecentHost(QStringLiteral("other.example"));
        page->AddRecentHost(QStringLiteral("trace.example.org"));
        page->HostCombo()->setEditText(QString());
        RunWhileOpen(mainDialog.get(), [row, how](CPhonebookDialog* dialog) {
            const QPoint entry = List(dialog)->visualItemRect(List(dialog)->item(row)).center();
            QTest::mouseClick(List(dialog)->viewport(), Qt::LeftButton, {}, entry);
            if (how == QStringLiteral("Use"))
                Click(dialog, IDC_PHONEBOOK_USE);
            else if (how == QStringLiteral("Enter"))
                QTest::keyClick(List(dialog), Qt::Key_Return);
            else
                QTest::mouseDClick(List(dialog)->viewport(), Qt::LeftButton, {}, entry);
            QVERIFY(!dialog->isVisible());
        });
        QTEST(page->HostCombo()->currentText(), "host");
        if (qobject_cast<CUserHostPage*>(page))
            QTEST(UserEdit(page, function)->text(), "user");
        QVERIFY(m_messages->Texts().isEmpty());
    }

    void fileThatCannotBeOpened()
    {
        // A folder where the file should be: neither readable nor writable as a
        // file, even by root.
        QVERIFY(QDir().mkpath(m_path));
        auto dialog = OpenDialog(QStringLiteral("host.example"));
        const QWidget* d = dialog.get();
        QCOMPARE(m_messages->Texts(), QStringList{kOpenFailure});
        QCOMPARE(State(d), "add on, entry off: ");
        // Add is refused with a message, and what was typed stays in its box.
        m_messages->Clear();
        Click(d, IDC_PHONEBOOK_ADD);
        QCOMPARE(m_messages->Texts(), QStringList{kOpenFailure});
        QCOMPARE(AddressEdit(d)->text(), QStringLiteral("host.example"));
        QCOMPARE(List(d)->count(), 0);
        // Nothing can be selected, so neither Remove nor a note edit reaches the file.
        Click(d, IDC_PHONEBOOK_REMOVE);
        QTest::keyClicks(NoteEdit(d), QStringLiteral("note"));
        dialog->OnRemove();
        dialog->OnChangeNote();
        dialog->accept();
        QCOMPARE(m_messages->Texts(), QStringList{kOpenFailure});
        QVERIFY(QFileInfo(m_path).isDir());
        QVERIFY(QDir(m_path).isEmpty());
        QCOMPARE(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QFileInfo(m_path).fileName()});
    }

private:
    std::unique_ptr<QTemporaryDir> m_dataHome;
    QString m_path;
    std::unique_ptr<CMessageBoxRecorder> m_messages;
};

QTEST_MAIN(TestPhonebookDialog)
#include "tst_phonebookdialog.moc"
