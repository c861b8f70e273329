// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window whose Ping and TraceRoute run over a given echo service, with
// scripted blocking lookups and resolver, and the pages filled in by the test.

#include "support/MainDialogFixture.h"
#include "support/ScriptedResolver.h"

#include "icmp/IcmpFunctions.h"
#include "mainwindow/MainDialog.h"
#include "pages/PingPage.h"
#include "pages/TraceRoutePage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <memory>
#include <tuple>

namespace netsonde::test {

// Blocking lookups that never leave the process: a name or address text is found
// when the test's table holds it, with the table's entry.
inline HostLookups ScriptedLookups(const QHash<QString, HostEntry>& entries = {})
{
    const auto outcome = [entries](const QString& key) {
        return LookupOutcome{entries.contains(key) ? kLookupSucceeded : kLookupHostNotFound, entries.value(key)};
    };
    return {[outcome](const QByteArray& name) { return outcome(QString::fromLatin1(name)); },
            [outcome](const IpAddress& address) { return outcome(FormatIpAddress(address)); }};
}

struct IcmpWindow {
    std::unique_ptr<MainDialog> dialog;
    ScriptedResolver* resolver = nullptr;
};

inline IcmpWindow OpenIcmpWindow(std::shared_ptr<echo::EchoService> service,
                                 const HostLookups& lookups = ScriptedLookups())
{
    MainDialog::SetEchoServiceLoader([service] { return service; });
    IcmpWindow window{OpenMainDialog()};
    MainDialog::SetEchoServiceLoader({});
    InstallIcmpFunctions(window.dialog->Runs(), service, lookups);
    auto resolver = std::make_unique<ScriptedResolver>();
    window.resolver = resolver.get();
    window.dialog->SetResolver(std::move(resolver));
    return window;
}

// Fills the Ping page and shows it; a time-out (seconds) of 0 keeps the page's own.
inline void SetPing(MainDialog& dialog, const QString& host, unsigned pings, unsigned delay, bool resolve = false,
                    unsigned timeout = 0)
{
    PingPage* page = dialog.PingTab();
    std::tie(page->m_host, page->m_pings, page->m_delay, page->m_resolve) = std::tie(host, pings, delay, resolve);
    page->m_timeout = timeout ? timeout : page->m_timeout;
    page->DoDataExchange(false);
    dialog.SelectFunction(FunctionId::Ping);
}

// Fills the TraceRoute page and shows it; a time-out (seconds) of 0 keeps the page's own.
inline void SetTraceRoute(MainDialog& dialog, const QString& host, unsigned maxHops, bool resolve = false,
                          unsigned timeout = 0)
{
    TraceRoutePage* page = dialog.TraceRouteTab();
    std::tie(page->m_host, page->m_maxHops, page->m_resolve) = std::tie(host, maxHops, resolve);
    page->m_timeout = timeout ? timeout : page->m_timeout;
    page->DoDataExchange(false);
    dialog.SelectFunction(FunctionId::TraceRoute);
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
qint64 MillisecondsUntilWindowClosed(IcmpWindow& window, const std::shared_ptr<Service>& service)
{
    const auto close = [&] {
        window.dialog->close();
        window.dialog.reset();
    };
    const qint64 ms = MillisecondsUntilReleased(close, [&] { return service.use_count() == 1; });
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
