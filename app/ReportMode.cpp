// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportMode.h"

#include "app/Functions.h"
#include "app/InterruptNotifier.h"
#include "app/ReportFormats.h"
#include "app/ReportInputs.h"
#include "app/ReportView.h"
#include "export/ExportText.h"
#include "platform/MessageBox.h"
#include "platform/echo/EchoService.h"
#include "run/RunController.h"
#include "settings/SettingsStore.h"

#include <QDateTime>
#include <QEventLoop>

#include <cstdio>

namespace netsonde {

namespace {

void WriteBytesTo(std::FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void WriteTo(std::FILE* stream, const QString& text)
{
    WriteBytesTo(stream, text.toUtf8());
}

bool UsesEchoService(FunctionId id)
{
    return id == FunctionId::Ping || id == FunctionId::TraceRoute;
}

// What Save writes for this run: its inputs and its pane text or rows.
ExportSource ExportSourceOf(const RunInputs& inputs, const ReportView& view)
{
    ExportSource source;
    source.function = Index(inputs.function);
    source.host = inputs.host;
    source.user = inputs.user;
    source.searchType = inputs.searchType;
    source.nameServer = inputs.nameServer;
    if (UsesEchoService(inputs.function)) {
        source.resultRows = view.Rows();
        source.resultColumns = ShownResultColumns(inputs.function, inputs);
    } else
        source.paneText = view.PaneText();
    source.when = QDateTime::currentDateTime();
    return source;
}

class ReportRun {
public:
    explicit ReportRun(const ReportOptions& options)
        : m_format(options.format), m_inputs(ReportInputs(options)),
          m_view(m_inputs.function, options.progress, WritesProbeLines()), m_runs(m_view)
    {
        // Every message goes to standard error as "netsonde: TEXT", and is noted.
        m_previousHandler = SetMessageBoxHandler([this](const QString& text, MessageIcon icon) {
            m_messages.append(text);
            const MessageBoxHandler noted = SetMessageBoxHandler({});
            ShowMessageBox(text, icon);
            SetMessageBoxHandler(noted);
        });
    }
    ~ReportRun() { SetMessageBoxHandler(std::move(m_previousHandler)); }
    ReportRun(const ReportRun&) = delete;
    ReportRun& operator=(const ReportRun&) = delete;

    int Run()
    {
        const auto service = UsesEchoService(m_inputs.function) ? echo::LoadEchoService() : nullptr;
        InstallFunctions(m_runs, service);
        const QDateTime started = QDateTime::currentDateTimeUtc();
        RunOnce();
        if (service)
            service->ShutdownAll();
        m_runs.Shutdown();
        const int status = ExitStatus();
        WriteBytesTo(stdout, Output(started, status));
        return status;
    }

private:
    // A repeated trace's CSV is written probe by probe as the run goes.
    bool WritesProbeLines() const
    {
        return m_format == ReportFormat::Csv && m_inputs.function == FunctionId::TraceRoute && m_inputs.rounds != 1;
    }

    // A run until interrupted ends as it should when interrupted.
    int ExitStatus() const
    {
        if (m_interrupted && !m_inputs.pingUntilStopped)
            return kReportInterrupted;
        return m_messages.isEmpty() ? kReportDone : kReportMessageShown;
    }

    QByteArray Output(const QDateTime& started, int status) const
    {
        switch (m_format) {
        case ReportFormat::Json:
            return ReportJson({m_inputs, m_view, started, status, m_messages});
        case ReportFormat::Csv:
            return WritesProbeLines() ? QByteArray() : ReportCsv(m_inputs, m_view.Rows());
        case ReportFormat::Text:
            break;
        }
        return WithLfLineEnds(BuildExportText(ExportSourceOf(m_inputs, m_view))).toUtf8();
    }

    // Starts the run and waits until the run layer has ended it; an
    // interrupt stops it as the Stop button does.
    void RunOnce()
    {
        QEventLoop loop;
        InterruptNotifier interrupt;
        QObject::connect(&interrupt, &InterruptNotifier::interrupted, &loop, [&] {
            if (!m_runs.IsBusy())
                return;
            m_interrupted = true;
            m_runs.Stop();
        });
        QObject::connect(&m_runs, &RunController::runFinished, &loop, [&] { loop.quit(); });
        m_runs.Go(m_inputs);
        if (m_runs.IsBusy())
            loop.exec();
    }

    const ReportFormat m_format;
    const RunInputs m_inputs;
    ReportView m_view;
    RunController m_runs;
    MessageBoxHandler m_previousHandler;
    QStringList m_messages;
    bool m_interrupted = false;
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

int RunReport(const ReportOptions& options)
{
    const QString rangeError = ReportRangeError(options);
    if (!rangeError.isEmpty())
        return ReportUsageError(rangeError);
    SettingsStore::SetReadOnly(true);
    return ReportRun(options).Run();
}

} // namespace netsonde
