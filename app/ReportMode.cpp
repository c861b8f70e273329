#include "app/ReportMode.h"

#include "app/InterruptNotifier.h"
#include "mainwindow/ExportCommands.h"
#include "mainwindow/MainDialog.h"
#include "pages/NameServerLookUpPage.h"
#include "pages/PingPage.h"
#include "pages/SpinField.h"
#include "pages/TraceRoutePage.h"
#include "pages/UserHostPage.h"
#include "platform/AppMessages.h"
#include "platform/ControlIds.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsStore.h"

#include <QComboBox>
#include <QEventLoop>

#include <cstdio>

namespace netsonde {

namespace {

void WriteTo(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// A value for a spin field must lie in the field's own range.
QString OutOfRange(const CPropertyPage& page, int spinId, const char* option, const std::optional<int>& value)
{
    const auto* field = FindControlAs<CSpinField>(&page, spinId);
    if (!value || !field || (*value >= field->Minimum() && *value <= field->Maximum()))
        return {};
    return QStringLiteral("--%1 must lie between %2 and %3").arg(QLatin1String(option)).arg(field->Minimum()).arg(field->Maximum());
}

QString RangeError(const CMainDialog& dialog, const CReportOptions& options)
{
    const CPingPage& ping = *dialog.PingPage();
    const CTraceRoutePage& trace = *dialog.TraceRoutePage();
    const bool isPing = options.FunctionIndex() == Index(FunctionId::Ping);
    for (const QString& error : {OutOfRange(ping, IDC_PING_COUNT_SPIN, "count", options.nCount),
                                 OutOfRange(ping, IDC_PING_DELAY_SPIN, "delay", options.nDelay),
                                 isPing ? OutOfRange(ping, IDC_PING_TIMEOUT_SPIN, "timeout", options.nTimeout)
                                        : OutOfRange(trace, IDC_TRACE_TIMEOUT_SPIN, "timeout", options.nTimeout),
                                 OutOfRange(trace, IDC_TRACE_HOPS_SPIN, "hops", options.nHops)}) {
        if (!error.isEmpty())
            return error;
    }
    return {};
}

// The host (and name server) go into their fields exactly as given: a
// Recent List entry that merely begins with them is not taken instead.
void SetComboTextExactly(CPropertyPage& page, int comboId, const QString& text)
{
    if (auto* combo = FindControlAs<QComboBox>(&page, comboId); combo && combo->currentText() != text)
        combo->setEditText(text);
}

void ApplyPingInputs(CMainDialog& dialog, const CReportOptions& options)
{
    CPingPage& page = *dialog.PingPage();
    page.m_nPings = static_cast<unsigned>(options.nCount.value_or(static_cast<int>(page.m_nPings)));
    page.m_nTimeout = static_cast<unsigned>(options.nTimeout.value_or(static_cast<int>(page.m_nTimeout)));
    page.m_nDelay = static_cast<unsigned>(options.nDelay.value_or(static_cast<int>(page.m_nDelay)));
    page.m_bResolve = page.m_bResolve && !options.bNoResolve;
}

void ApplyTraceRouteInputs(CMainDialog& dialog, const CReportOptions& options)
{
    CTraceRoutePage& page = *dialog.TraceRoutePage();
    page.m_nTimeout = static_cast<unsigned>(options.nTimeout.value_or(static_cast<int>(page.m_nTimeout)));
    page.m_nMaxHops = static_cast<unsigned>(options.nHops.value_or(static_cast<int>(page.m_nMaxHops)));
    page.m_bResolve = page.m_bResolve && !options.bNoResolve;
}

void ApplyUserHostInputs(CUserHostPage& page, const CReportOptions& options)
{
    page.m_strUser = options.strUser.value_or(page.m_strUser);
    if (auto* finger = qobject_cast<CFingerPage*>(&page))
        finger->m_bVerboseFormat = finger->m_bVerboseFormat || options.bVerbose;
}

void ApplyNameServerInputs(CNameServerLookUpPage& page, const CReportOptions& options)
{
    // Without a type the command line's own rule selects the first entry.
    if (options.strSearchType)
        page.m_strSearchType = *options.strSearchType;
    else
        page.SelectFirstSearchType();
    page.m_strNameServer = options.strServer.value_or(page.m_strNameServer);
    page.m_bVerboseFormat = page.m_bVerboseFormat || options.bVerbose;
}

// Fills the selected function's page as the command-line start does, with
// the inputs set for this run on top of the stored ones.
void FillPage(CMainDialog& dialog, const CReportOptions& options)
{
    const auto id = static_cast<FunctionId>(options.FunctionIndex());
    CPropertyPage& page = *dialog.Page(id);
    page.DoDataExchange(true);
    page.m_strHost = options.Host();
    switch (id) {
    case FunctionId::Ping:
        ApplyPingInputs(dialog, options);
        break;
    case FunctionId::TraceRoute:
        ApplyTraceRouteInputs(dialog, options);
        break;
    case FunctionId::Finger:
    case FunctionId::WhoIs:
        ApplyUserHostInputs(static_cast<CUserHostPage&>(page), options);
        break;
    case FunctionId::NameServerLookUp:
        ApplyNameServerInputs(*dialog.NameServerLookUpPage(), options);
        break;
    case FunctionId::QuoteOfDay:
        break;
    }
    SendAppMessage(&page, WM_APP_REFRESH);
    SetComboTextExactly(page, ControlId(page.HostCombo()), options.Host());
    if (id == FunctionId::NameServerLookUp) {
        SetComboTextExactly(page, IDC_NS_SERVER, dialog.NameServerLookUpPage()->m_strNameServer);
        dialog.NameServerLookUpPage()->UpdateNameServerEnabled();
    }
}

class CReportRun {
public:
    explicit CReportRun(const CReportOptions& options) : m_options(options)
    {
        m_previousHandler = SetMessageBoxHandler([this](const QString& text, MessageIcon icon) {
            m_bMessageShown = true;
            // Without a handler the text goes to standard error.
            const MessageBoxHandler handler = SetMessageBoxHandler({});
            ShowMessageBox(text, icon);
            SetMessageBoxHandler(handler);
        });
    }
    ~CReportRun() { SetMessageBoxHandler(std::move(m_previousHandler)); }
    CReportRun(const CReportRun&) = delete;
    CReportRun& operator=(const CReportRun&) = delete;

    int Run()
    {
        CMainDialog dialog;
        // Only the tab is selected at initialisation; the page is filled here.
        dialog.m_bCommandLine = true;
        dialog.m_strCommandLine = m_options.strCommandLine.left(2);
        dialog.InitDialog();
        const QString rangeError = RangeError(dialog, m_options);
        if (!rangeError.isEmpty())
            return ReportUsageError(rangeError);
        FillPage(dialog, m_options);
        RunOnce(dialog);
        WriteTo(stdout, WithLfLineEnds(BuildExportText(dialog)));
        if (m_bInterrupted)
            return kReportInterrupted;
        return m_bMessageShown ? kReportMessageShown : kReportDone;
    }

private:
    // Presses Go and waits until the run layer has ended the run; an
    // interrupt presses Stop.
    void RunOnce(CMainDialog& dialog)
    {
        QEventLoop loop;
        CInterruptNotifier interrupt;
        QObject::connect(&interrupt, &CInterruptNotifier::Interrupted, &loop, [&] {
            if (!dialog.m_bBusy)
                return;
            m_bInterrupted = true;
            dialog.OnStop();
        });
        QObject::connect(&dialog.Runs(), &CRunController::statusTextChanged, &loop, [&](const QString& text) {
            if (m_options.bProgress)
                WriteTo(stderr, text + QLatin1Char('\n'));
        });
        QObject::connect(&dialog.Runs(), &CRunController::runFinished, &loop, [&] { loop.quit(); });
        dialog.OnGo();
        if (dialog.Runs().IsBusy())
            loop.exec();
    }

    const CReportOptions& m_options;
    MessageBoxHandler m_previousHandler;
    bool m_bMessageShown = false;
    bool m_bInterrupted = false;
};

} // namespace

int ReportUsageError(const QString& reason)
{
    WriteTo(stderr, QStringLiteral("netsonde: ") + reason + QLatin1Char('\n') + ReportUsageLine() + QLatin1Char('\n'));
    return kReportUsageError;
}

QString WithLfLineEnds(const QString& text)
{
    QString lf = text;
    lf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return lf;
}

int RunReport(const CReportOptions& options)
{
    SettingsStore::SetReadOnly(true);
    return CReportRun(options).Run();
}

} // namespace netsonde
