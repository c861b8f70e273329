// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window whose Ping and TraceRoute run over a given echo service, with
// scripted blocking lookups and resolver, and a record of the status line.

#include "mainwindow/MainDialogFixture.h"
#include "resolver/ScriptedResolver.h"

#include "icmp/IcmpFunctions.h"
#include "mainwindow/MainDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTreeWidget>

#include <atomic>
#include <memory>

namespace netsonde::test {

// Notes every change of the status line. Each effect of a worker reaches the
// window as an event of its own, so the text is looked at before every event
// the application delivers, and once more by Finish().
class CStatusLineRecorder : public QObject {
public:
    explicit CStatusLineRecorder(const CMainDialog& dialog) : m_dialog(dialog), m_last(dialog.StatusText())
    {
        qApp->installEventFilter(this);
    }
    ~CStatusLineRecorder() override { qApp->removeEventFilter(this); }

    QStringList Finish()
    {
        Sample();
        return m_texts;
    }

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        Sample();
        return false;
    }

private:
    void Sample()
    {
        const QString text = m_dialog.StatusText();
        if (text != m_last)
            m_texts << text;
        m_last = text;
    }

    const CMainDialog& m_dialog;
    QString m_last;
    QStringList m_texts;
};

// Blocking lookups that never leave the process: names from the test's tables.
struct CScriptedLookups {
    QHash<QByteArray, QList<CIpAddress>> names;
    QHash<QString, QString> addresses; // official names by address text
    std::shared_ptr<std::atomic<int>> byAddressCalls = std::make_shared<std::atomic<int>>(0);

    CHostLookups Lookups() const
    {
        auto names = this->names;
        auto addresses = this->addresses;
        auto calls = byAddressCalls;
        return {[names](const QByteArray& name) {
                    CLookupOutcome outcome;
                    if (names.contains(name))
                        outcome.entry.addresses = names.value(name);
                    else
                        outcome.nError = kLookupHostNotFound;
                    return outcome;
                },
                [addresses, calls](const CIpAddress& address) {
                    ++*calls;
                    CLookupOutcome outcome;
                    if (addresses.contains(FormatIpAddress(address)))
                        outcome.entry.strOfficialName = addresses.value(FormatIpAddress(address));
                    else
                        outcome.nError = kLookupHostNotFound;
                    return outcome;
                }};
    }
};

struct CIcmpWindow {
    std::unique_ptr<CMainDialog> dialog;
    CScriptedResolver* resolver = nullptr;
};

inline CIcmpWindow OpenIcmpWindow(std::shared_ptr<echo::EchoService> service, const CScriptedLookups& lookups = {})
{
    CMainDialog::SetEchoServiceLoader([service] { return service; });
    CIcmpWindow window;
    window.dialog = OpenMainDialog();
    CMainDialog::SetEchoServiceLoader({});
    InstallIcmpFunctions(window.dialog->Runs(), service, lookups.Lookups());
    auto resolver = std::make_unique<CScriptedResolver>();
    window.resolver = resolver.get();
    window.dialog->SetResolver(std::move(resolver));
    return window;
}

// Milliseconds from `act` (Stop, or closing the window) until `released`
// holds, events delivered meanwhile; `limitMs` when it does not by then.
template <typename Act, typename Released>
qint64 MillisecondsUntilReleased(Act act, Released released, qint64 limitMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    act();
    while (!released() && timer.elapsed() < limitMs)
        QCoreApplication::processEvents();
    return timer.elapsed();
}

// Milliseconds from closing the window until the test holds the last
// reference to `service`, that is until the worker has let go of it.
template <typename Service>
qint64 MillisecondsUntilWindowClosed(CIcmpWindow& window, const std::shared_ptr<Service>& service)
{
    const qint64 ms = MillisecondsUntilReleased(
        [&] {
            window.dialog->close();
            window.dialog.reset();
        },
        [&] { return service.use_count() == 1; });
    qInfo("window closed and worker ended after %lld ms", ms);
    return ms;
}

inline qsizetype ThreadCount()
{
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

inline QStringList RowTexts(const QTreeWidget* list, int row)
{
    QStringList cells;
    const QTreeWidgetItem* item = list->topLevelItem(row);
    for (int column = 0; item && column < 4; ++column)
        cells << item->text(column);
    return cells;
}

} // namespace netsonde::test
