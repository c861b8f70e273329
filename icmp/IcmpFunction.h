#pragma once
// What Ping and TraceRoute share on the window's side: the start of a run up
// to its worker, the cancel step, the double-click on a result row with its
// address-to-name lookup, and that lookup's completion.

#include "icmp/IcmpRun.h"
#include "icmp/IcmpSession.h"
#include "mainwindow/Function.h"
#include "mainwindow/FunctionId.h"

#include <QMetaObject>
#include <QString>

#include <memory>

class QTreeWidget;

namespace netsonde {

class CMainDialog;

class CIcmpFunction : public CFunction {
public:
    CIcmpFunction(CMainDialog& dialog, FunctionId id, std::shared_ptr<CIcmpSession> session);
    ~CIcmpFunction() override;

    // The cancel step of both tools: drops the pending lookup, abandons the
    // worker and puts the focus on the page's host field.
    void Cancel() override;
    // The completion of a double-click's lookup (OnAddressResolved).
    void OnAppMessage(const CAppMessageEvent& message) override;
    void OnResultListDblClk();

protected:
    // Start steps up to the worker: reads the page, refuses an empty host,
    // empties the list, begins the run and records the host. False when the
    // run has ended already.
    bool PrepareRun();
    // A new run for the worker about to start: it becomes the current one.
    CIcmpRun NewRun();

    CMainDialog& m_dialog;
    const FunctionId m_id;
    const std::shared_ptr<CIcmpSession> m_session;

private:
    void CancelLookup();

    QMetaObject::Connection m_doubleClick;
};

// Result rows of both lists.
void InsertResultRow(QTreeWidget* list, int row, unsigned number);
void SetResultCell(QTreeWidget* list, int row, int column, const QString& text);

// Column 3 of an answered row.
QString FormatRoundTrip(std::uint32_t milliseconds);

} // namespace netsonde
