// SPDX-License-Identifier: GPL-3.0-or-later
// The phonebook file (records of 250 bytes, written at once) and the
// Phonebook dialog on it: what it shows, what each control does to the file,
// and what Use hands to the main window's pages.

#include "support/MainDialogFixture.h"

#include "mainwindow/phonebook/PhonebookDialog.h"
#include "mainwindow/phonebook/PhonebookDialogIds.h"
#include "phonebook/Phonebook.h"

#include "support/FileHelpers.h"
#include "support/PhonebookFiles.h"

#include <QClipboard>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

using namespace netsonde;
using namespace netsonde::test;
using namespace Qt::StringLiterals;

namespace {

const QString kOpenFailure = u"Cannot open or create Netsonde.pbk"_s;

// Each entry as "record address note".
QStringList Listed(const Phonebook& phonebook)
{
    QStringList listed;
    for (const auto& entry : phonebook.Entries())
        listed << QStringLiteral("%1 %2 %3").arg(entry.record).arg(entry.address, entry.note).trimmed();
    return listed;
}

QLineEdit* AddressEdit(const QWidget* d)
{
    return Control<QLineEdit>(d, kPhonebookAddressControl);
}
QListWidget* List(const QWidget* d)
{
    return Control<QListWidget>(d, kPhonebookListControl);
}
QPlainTextEdit* NoteEditor(const QWidget* d)
{
    return Control<QPlainTextEdit>(d, kPhonebookNoteControl);
}
QPushButton* Button(const QWidget* d, int id)
{
    return Control<QPushButton>(d, id);
}
void Click(const QWidget* d, int id)
{
    QTest::mouseClick(Button(d, id), Qt::LeftButton);
}
QString Note(const QWidget* d)
{
    return NoteEditor(d)->toPlainText();
}

QLineEdit* UserEdit(const PropertyPage* p, FunctionId f)
{
    return Control<QLineEdit>(p, f == FunctionId::Finger ? kFingerUserControl : kWhoIsUserControl);
}

// The list's texts, the selected one marked with "*".
QStringList ListTexts(const QWidget* d)
{
    QStringList texts;
    for (int row = 0; row < List(d)->count(); ++row)
        texts << (List(d)->item(row)->isSelected() ? u"*"_s : QString()) + List(d)->item(row)->text();
    return texts;
}

// Whether Add and the entry controls (Remove, Use and the note box, which go
// together) are enabled, and the note shown.
QString State(const QWidget* d)
{
    const auto onOff = [d](int id) { return Button(d, id)->isEnabled() ? u"on"_s : u"off"_s; };
    QString entry = onOff(kPhonebookRemoveControl);
    if (onOff(kPhonebookUseControl) != entry || NoteEditor(d)->isEnabled() != (entry == u"on"_s))
        entry = u"mixed"_s;
    return QStringLiteral("add %1, entry %2: %3").arg(onOff(kPhonebookAddControl), entry, Note(d));
}

void TypeAddress(const QWidget* d, const QString& text, bool add = false)
{
    AddressEdit(d)->clear();
    QTest::keyClicks(AddressEdit(d), text);
    if (add)
        Click(d, kPhonebookAddControl);
}

void SelectRow(const QWidget* d, int row)
{
    QListWidget* list = List(d);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void RetypeNote(const QWidget* d, const QString& text)
{
    NoteEditor(d)->selectAll();
    QTest::keyClick(NoteEditor(d), Qt::Key_Delete);
    QTest::keyClicks(NoteEditor(d), text);
}

// The main window's page as typed, the address the dialog opens with, and
// how the entry in `row` is used: "Help" (then closed), "Use", "Enter" or
// "double-click"; the page's fields afterwards.
struct UseCase {
    FunctionId function;
    bool smart;
    QString user, host, preset;
    int row;
    QString how, hostAfter, userAfter;
};

std::unique_ptr<PhonebookDialog> OpenDialog(const QString& preset = {})
{
    auto dialog = std::make_unique<PhonebookDialog>(nullptr, preset);
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog.get()))
        qWarning("Phonebook dialog not exposed");
    return dialog;
}

} // namespace

Q_DECLARE_METATYPE(UseCase)

class TestPhonebook : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each case gets an empty data folder of its own inside the test's data folder.
    void init()
    {
        const QString base = qEnvironmentVariable("XDG_DATA_HOME", QDir::tempPath());
        QVERIFY(QDir().mkpath(base));
        m_dataHome = std::make_unique<QTemporaryDir>(base + u"/case-XXXXXX"_s);
        QVERIFY(m_dataHome->isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome->path()));
        m_path = Phonebook::DefaultFilePath();
        ResetSettings();
        // The last case's recorder goes first: it puts back the handler it found.
        m_messages.reset();
        m_messages = std::make_unique<MessageBoxRecorder>();
    }

    // A missing file is created empty. Each change is written at once, while
    // the file is still open; a removed record is marked free and reused first.
    void changesAreWrittenAtOnce()
    {
        QCOMPARE(m_path, m_dataHome->filePath(u"Korvelin/tst_phonebook.pbk"_s));
        Phonebook phonebook;
        QVERIFY(phonebook.Open() && phonebook.IsOpen() && phonebook.Entries().isEmpty());
        QVERIFY(QFileInfo(m_path).isFile() && QFileInfo(m_path).size() == 0);
        const QString nulX = QChar::Null + u"x"_s;
        QCOMPARE(phonebook.Add(u"zeta.example"_s), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Add(u"John@Host.Example"_s), PhonebookAddResult::Added);
        QCOMPARE(phonebook.Add("10.1.2.3"_L1 + nulX), PhonebookAddResult::Added);
        QCOMPARE(FileBytes(m_path), Record("zeta.example") + Record("John@Host.Example") + Record("10.1.2.3"));
        for (const QString& refused : {u"john@host.example"_s, u"John@Host.Example"_s, "JOHN@host.example"_L1 + nulX})
            QCOMPARE(phonebook.Add(refused), PhonebookAddResult::AlreadyPresent);
        for (const QString& reserved : {u"Empty"_s, "Empty"_L1 + nulX})
            QCOMPARE(phonebook.Add(reserved), PhonebookAddResult::ReservedAddress);

        QVERIFY(phonebook.Remove(1) && !phonebook.Find(u"John@Host.Example"_s) && !phonebook.Remove(1));
        QCOMPARE(FileBytes(m_path), Record("zeta.example") + Record("Empty") + Record("10.1.2.3"));
        int record = -1;
        QCOMPARE(phonebook.Add(u"four"_s, &record), PhonebookAddResult::Added);
        QCOMPARE(record, 1);
        QCOMPARE(FileBytes(m_path), Record("zeta.example") + Record("four") + Record("10.1.2.3"));
    }

    // Loading lists the whole records that hold an address, alphabetically
    // with letter case aside, and changes nothing; the next address goes to
    // the lowest free record.
    void loadsWholeRecords_data()
    {
        // clang-format off
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("added");
        QTest::newRow("sorted") << Record("Empty") + Record("Bravo") + Record("alpha", "first") + Record("charlie")
                                << QStringList{"2 alpha first", "1 Bravo", "3 charlie"} << 0;
        QTest::newRow("last record cut") << Record("a") + Record("b") + Record("c").left(100)
                                         << QStringList{"0 a", "1 b"} << 2;
        QTest::newRow("only exact Empty is free") << Record("Empty") + Record("empty") + Record("EMPTY", "kept")
                                                  << QStringList{"1 empty", "2 EMPTY kept"} << 0;
        // clang-format on
    }

    void loadsWholeRecords()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, added);
        QVERIFY(WriteFile(m_path, file));
        Phonebook phonebook;
        QVERIFY(phonebook.Open());
        QTEST(Listed(phonebook), "listed");
        QCOMPARE(FileBytes(m_path), file);
        int record = -1;
        QCOMPARE(phonebook.Add(u"new"_s, &record), PhonebookAddResult::Added);
        QCOMPARE(record, added);
        const qsizetype at = added * 250;
        QCOMPARE(FileBytes(m_path), file.first(at) + Record("new") + file.sliced(qMin(file.size(), at + 250)));
    }

    void addressLength_data()
    {
        // clang-format off
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("fits");
        QTest::newRow("50 characters") << QString(50, 'a') << true;
        QTest::newRow("51 characters") << QString(51, 'a') << false;
        QTest::newRow("52 bytes of 26 characters") << QString(26, QChar(0x00e9)) << false;
        // clang-format on
    }

    void addressLength()
    {
        QFETCH(QString, address);
        QFETCH(bool, fits);
        Phonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Add(address), fits ? PhonebookAddResult::Added : PhonebookAddResult::TooLong);
        QCOMPARE(FileBytes(m_path), fits ? Record(address.toUtf8()) : QByteArray());
        phonebook.Close();
        QVERIFY(phonebook.Open());
        QCOMPARE(Listed(phonebook), fits ? QStringList{"0 " + address} : QStringList());
    }

    void thousandRecordsAtMost()
    {
        QByteArray records;
        for (int i = 0; i < 1000; ++i)
            records += Record("host" + QByteArray::number(i));
        const QByteArray file = records + Record("beyond");
        QVERIFY(WriteFile(m_path, file));
        Phonebook phonebook;
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.Entries().size(), 1000);
        QCOMPARE(Phonebook::AddFailureText(phonebook.Add(u"one more"_s)),
                 u"Cannot add any more items to the PhoneBook"_s);
        QVERIFY(phonebook.Remove(phonebook.Find(u"host999"_s)->record));
        QCOMPARE(phonebook.Add(u"one more"_s), PhonebookAddResult::Added);
        QCOMPARE(FileBytes(m_path).sliced(999 * 250), Record("one more") + Record("beyond"));
    }

    // Notes written by other programs: each byte that is not part of valid
    // UTF-8 reads as Latin-1, and an edit rewrites only what it changed. A
    // line end is stored as CR LF, a full note has no terminating zero.
    void editKeepsUnchangedBytes_data()
    {
        // clang-format off
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QByteArray>("written");
        const QByteArray stored = "caf\xe9 cr\xe8me";
        const QString latin1 = u"caf\u00e9 cr\u00e8me"_s;
        QTest::newRow("Latin-1, typed at the end")
            << stored << latin1 << latin1 + QChar(0x00fc) << QByteArray(stored + "\xc3\xbc");
        QTest::newRow("Latin-1, deleted inside")
            << stored << latin1 << u"caf\u00e9 r\u00e8me"_s << QByteArray("caf\xe9 r\xe8me");
        QTest::newRow("UTF-8 and Latin-1 mixed") << QByteArray("\xc3\xa9t\xe9") << u"\u00e9t\u00e9"_s
                                                 << u"\u00e9t\u00e9s"_s << QByteArray("\xc3\xa9t\xe9s");
        QTest::newRow("line ends and no-break space kept")
            << QByteArray("a\nb\xa0" "c\r\nd") << u"a\nb c\nd"_s << u"a\nb c\nd\n!"_s
            << QByteArray("a\nb\xa0" "c\r\nd\r\n!");
        QTest::newRow("kept bytes that would join are rewritten")
            << QByteArray("\xc3x\xa9") << u"\u00c3x\u00a9"_s << u"\u00c3\u00a9"_s << QByteArray("\xc3\x83\xc2\xa9");
        QTest::newRow("full Latin-1 note shortened")
            << QByteArray(200, '\xe9') << QString(200, QChar(0x00e9)) << QString(199, QChar(0x00e9))
            << QByteArray(199, '\xe9');
        QTest::newRow("filled to 200 bytes") << QByteArray("a") << u"a"_s << 'N' + QString(198, 'n') + 'Z'
                                             << 'N' + QByteArray(198, 'n') + 'Z';
        // clang-format on
    }

    void editKeepsUnchangedBytes()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, edited);
        QFETCH(QByteArray, written);
        QVERIFY(WriteFile(m_path, Record("host", stored)));
        Phonebook phonebook;
        QVERIFY(phonebook.Open());
        QTEST(phonebook.FindRecord(0)->note, "shown");
        QVERIFY(phonebook.SetNote(0, edited));
        QCOMPARE(FileBytes(m_path), Record("host", written));
        const QString filled = edited + QString(200 - written.size(), 'x');
        QVERIFY(phonebook.NoteFits(0, filled) && !phonebook.NoteFits(0, filled + 'x'));
        QVERIFY(!phonebook.SetNote(0, filled + 'x') && !phonebook.SetNote(7, u"no such record"_s));
        phonebook.Close();
        QVERIFY(phonebook.Open());
        QCOMPARE(phonebook.FindRecord(0)->note, edited);
    }

    // The dialog opens with the current page's fields as typed (user@host);
    // Use, Enter or a double-click hands the selected entry to the page: a
    // beginning of a Recent List entry shows as the whole entry, and with
    // smart splitting user and host go to their fields. Help shows the contents.
    void presetAndUse_data()
    {
        // clang-format off
        QTest::addColumn<UseCase>("c");
        QTest::newRow("Ping, Enter")
            << UseCase{FunctionId::Ping, true, "", "typed.example", "typed.example", 2, "Enter", "ping.example", ""};
        QTest::newRow("Finger user@host, Use split") << UseCase{FunctionId::Finger, true, "cy", "typed.example",
                                                                "cy@typed.example", 0, "Use", "finger.example", "ann"};
        QTest::newRow("Finger host only") << UseCase{FunctionId::Finger, true, "", "finger.example", "finger.example",
                                                     0, "Help", "finger.example", ""};
        QTest::newRow("Finger user only")
            << UseCase{FunctionId::Finger, true, "ann", "", "ann", 0, "Help", "", "ann"};
        QTest::newRow("WhoIs user and host, Use whole") << UseCase{FunctionId::WhoIs, false, "bob", "typed.example",
                                                                   "bob@typed.example", 1, "Use", "bob@whois.example",
                                                                   "bob"};
        QTest::newRow("TraceRoute, double-click, Recent List entry")
            << UseCase{FunctionId::TraceRoute, true, "", "", "", 3, "double-click", "trace.example.org", ""};
        // clang-format on
    }

    void presetAndUse()
    {
        QFETCH(UseCase, c);
        const QByteArray file =
            Record("ann@finger.example") + Record("bob@whois.example") + Record("ping.example") + Record("trace.ex");
        QVERIFY(WriteFile(m_path, file));
        auto mainDialog = OpenMainDialog();
        mainDialog->SetSmartSplitting(c.smart);
        mainDialog->SelectFunction(c.function);
        PropertyPage* page = mainDialog->Page(c.function);
        page->AddRecentHost(u"trace.example.net"_s);
        page->AddRecentHost(u"trace.example.org"_s);
        // The fields as typed: the command reads the controls, not the members.
        page->HostCombo()->setEditText(c.host);
        if (qobject_cast<UserHostPage*>(page))
            UserEdit(page, c.function)->setText(c.user);
        QSignalSpy contentsShown(mainDialog->Actions().helpContents, &QAction::triggered);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<PhonebookDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                qFatal("the Phonebook dialog is not shown modally");
            shown = true;
            QCOMPARE(AddressEdit(dialog)->text(), c.preset);
            const QPoint entry = List(dialog)->visualItemRect(List(dialog)->item(c.row)).center();
            QTest::mouseClick(List(dialog)->viewport(), Qt::LeftButton, {}, entry);
            if (c.how == u"Help"_s)
                Click(dialog, kPhonebookHelpControl);
            else if (c.how == u"Use"_s)
                Click(dialog, kPhonebookUseControl);
            else if (c.how == u"Enter"_s)
                QTest::keyClick(List(dialog), Qt::Key_Return);
            else
                QTest::mouseDClick(List(dialog)->viewport(), Qt::LeftButton, {}, entry);
            QCOMPARE(dialog->isVisible(), c.how == u"Help"_s);
            dialog->reject();
        });
        mainDialog->Actions().phonebook->trigger();
        QVERIFY(shown);
        QCOMPARE(contentsShown.count(), c.how == u"Help"_s ? 1 : 0);
        QCOMPARE(page->HostCombo()->currentText(), c.hostAfter);
        if (qobject_cast<UserHostPage*>(page))
            QCOMPARE(UserEdit(page, c.function)->text(), c.userAfter);
        QCOMPARE(FileBytes(m_path), file);
        QVERIFY(m_messages->Texts().isEmpty());
    }

    // The controls and their texts. An over-long preset shows and can be
    // shortened, not lengthened; typed text stops at 50 characters.
    void controlsAndOverLongPreset()
    {
        const QString longAddress = u"someone@"_s + QString(43, 'h');
        auto dialog = OpenDialog(longAddress);
        const QWidget* d = dialog.get();
        const std::pair<int, const char*> buttons[] = {{kPhonebookAddControl, "&Add"},
                                                       {kPhonebookRemoveControl, "&Remove"},
                                                       {kPhonebookUseControl, "&Use"},
                                                       {kPhonebookHelpControl, "&Help"},
                                                       {kPhonebookCloseControl, "&Close"}};
        for (const auto& [id, text] : buttons) {
            QCOMPARE(Button(d, id)->text(), QString::fromLatin1(text));
            QVERIFY2(Button(d, id)->width() >= Button(d, id)->sizeHint().width(), text);
        }
        for (const QWidget* child : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(d->rect().contains(child->geometry()), child->metaObject()->className());
        QVERIFY(Button(d, kPhonebookUseControl)->isDefault());
        QStringList groups;
        for (const QGroupBox* group : d->findChildren<QGroupBox*>())
            groups << group->title();
        QCOMPARE(groups, (QStringList{"Add", "Addresses", "Notes"}));
        QCOMPARE(List(d)->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(NoteEditor(d)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QTest::keyClick(AddressEdit(d), Qt::Key_End);
        QTest::keyClick(AddressEdit(d), Qt::Key_X);
        QCOMPARE(AddressEdit(d)->text(), longAddress);
        Click(d, kPhonebookAddControl);
        QCOMPARE(m_messages->Texts(), QStringList{"Please enter no more than 50 characters."});
        QTest::keyClick(AddressEdit(d), Qt::Key_Backspace);
        Click(d, kPhonebookAddControl);
        QCOMPARE(FileBytes(m_path), Record(longAddress.chopped(1).toLatin1()));
        TypeAddress(d, QString(60, 't'));
        QCOMPARE(AddressEdit(d)->text(), QString(50, 't'));
    }

    void enableRulesAndNotes()
    {
        QVERIFY(WriteFile(m_path, Record("alpha", "first note") + Record("beta", "second note")));
        auto dialog = OpenDialog();
        const QWidget* d = dialog.get();
        QCOMPARE(ListTexts(d), (QStringList{"alpha", "beta"}));
        QCOMPARE(State(d), "add off, entry off: ");
        SelectRow(d, 1);
        QCOMPARE(State(d), "add off, entry on: second note");
        // An address being typed takes the entry controls away and hides the note.
        TypeAddress(d, u"gamma"_s);
        QCOMPARE(State(d), "add on, entry off: ");
        QCOMPARE(ListTexts(d), (QStringList{"alpha", "*beta"}));
        // Emptied again: the selected entry's controls and its note come back,
        // so that an edit changes the note that is shown.
        AddressEdit(d)->selectAll();
        QTest::keyClick(AddressEdit(d), Qt::Key_Delete);
        QCOMPARE(State(d), "add off, entry on: second note");
        // Each edit is written at once. Typing stops when the note's 200 bytes
        // are full, and a paste is cut to what still fits.
        QTest::keyClick(NoteEditor(d), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(NoteEditor(d), u"!"_s);
        QTest::keyClick(NoteEditor(d), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(NoteEditor(d), u"two"_s);
        const QByteArray alpha = Record("alpha", "first note");
        QCOMPARE(FileBytes(m_path), alpha + Record("beta", "second note!\r\ntwo"));
        RetypeNote(d, QString(210, 'n'));
        QCOMPARE(Note(d), QString(200, 'n'));
        RetypeNote(d, QString(180, 'p'));
        QApplication::clipboard()->setText(QString(50, 'q'));
        NoteEditor(d)->paste();
        const QByteArray beta = Record("beta", QByteArray(180, 'p') + QByteArray(20, 'q'));
        QCOMPARE(FileBytes(m_path), alpha + beta);
        // A selection reads its note from the file again.
        QVERIFY(WriteFile(m_path, Record("alpha", "caf\xe9\r\nna\xefve") + beta));
        SelectRow(d, 0);
        QCOMPARE(Note(d), u"caf\u00e9\nna\u00efve"_s);
        QVERIFY(m_messages->Texts().isEmpty());
    }

    // An address ends at its first zero character, as preset here.
    void addAndRemove()
    {
        auto dialog = OpenDialog(u"zeta.example"_s + QChar::Null + u"tail"_s);
        const QWidget* d = dialog.get();
        Click(d, kPhonebookAddControl);
        QCOMPARE(State(d), "add off, entry off: ");
        QCOMPARE(AddressEdit(d)->text(), QString());
        TypeAddress(d, u"Bravo"_s, true);
        TypeAddress(d, u"alpha"_s, true);
        QCOMPARE(ListTexts(d), (QStringList{"alpha", "Bravo", "zeta.example"})); // a new entry is not selected
        // A case-only duplicate is refused and stays typed; a prefix is added.
        TypeAddress(d, u"bravo"_s, true);
        QCOMPARE(m_messages->Texts(), QStringList{"This address is already present in the phonebook"});
        QCOMPARE(AddressEdit(d)->text(), u"bravo"_s);
        TypeAddress(d, u"Brav"_s, true);
        QCOMPARE(ListTexts(d), (QStringList{"alpha", "Brav", "Bravo", "zeta.example"}));
        m_messages->Clear();
        // An entry added while another is selected leaves that selection alone.
        SelectRow(d, 1);
        TypeAddress(d, u"aardvark"_s, true);
        QCOMPARE(ListTexts(d), (QStringList{"aardvark", "alpha", "*Brav", "Bravo", "zeta.example"}));
        // Remove selects the entry that takes the removed one's place, or for
        // the last entry the one before it.
        SelectRow(d, 2); // Brav, record 3
        Click(d, kPhonebookRemoveControl);
        QCOMPARE(ListTexts(d), (QStringList{"aardvark", "alpha", "*Bravo", "zeta.example"}));
        QCOMPARE(State(d), "add off, entry on: ");
        SelectRow(d, 3);
        Click(d, kPhonebookRemoveControl);
        QCOMPARE(ListTexts(d), (QStringList{"aardvark", "alpha", "*Bravo"}));
        for (int left = 3; left > 0; --left)
            Click(d, kPhonebookRemoveControl);
        QCOMPARE(List(d)->count(), 0);
        QCOMPARE(State(d), "add off, entry off: ");
        QCOMPARE(FileBytes(m_path), QByteArray(Record("Empty").repeated(5)));
        QVERIFY(m_messages->Texts().isEmpty());
        dialog->accept();
        QVERIFY(!dialog->StoredPhonebook().IsOpen());
    }

    // A folder where the file should be can be neither read nor written, even
    // by root: nothing reaches the disk, and the dialog says so on opening and
    // on Add, keeping what was typed.
    void fileThatCannotBeOpened()
    {
        QVERIFY(QDir().mkpath(m_path));
        auto dialog = OpenDialog(u"host.example"_s);
        const QWidget* d = dialog.get();
        QCOMPARE(m_messages->Texts(), QStringList{kOpenFailure});
        QCOMPARE(State(d), "add on, entry off: ");
        Click(d, kPhonebookAddControl);
        QCOMPARE(m_messages->Texts(), QStringList(2, kOpenFailure));
        QCOMPARE(AddressEdit(d)->text(), u"host.example"_s);
        QCOMPARE(List(d)->count(), 0);
        dialog->OnRemove();
        dialog->OnChangeNote();
        dialog->accept();
        QCOMPARE(m_messages->Texts().size(), 2);
        QVERIFY(QFileInfo(m_path).isDir() && QDir(m_path).isEmpty());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dataHome;
    QString m_path;
    std::unique_ptr<MessageBoxRecorder> m_messages;
};

QTEST_MAIN(TestPhonebook)
#include "tst_phonebook.moc"
