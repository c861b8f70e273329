// What the main window keeps in the settings store: the options, the
// output font, the window placement and the result-list columns.

#include "mainwindow/MainDialog.h"

#include "mainwindow/FontConversion.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScreen>
#include <QTreeWidget>

namespace netsonde {

namespace {

const QString kWindow = QStringLiteral("Window");
const QString kOptions = QStringLiteral("Options");
constexpr int kNotSet = -1;
constexpr int kColumnMargin = 15;

QString ColumnsSection(FunctionId id)
{
    return id == FunctionId::Ping ? QStringLiteral("Ping") : QStringLiteral("TraceRoute");
}

} // namespace

void CMainDialog::ReadOptions()
{
    m_bRememberPosition = SettingsStore::ReadYesNo(kWindow, QStringLiteral("RememberPosition"), QStringLiteral("No"));
    Command(ID_REMEMBER_WINDOW_POSITION)->setChecked(m_bRememberPosition);
    m_nLastFunction = SettingsStore::ReadInt(kOptions, QStringLiteral("RememberLastFunction"), kNotSet);
    Command(ID_REMEMBER_LAST_FUNCTION)->setChecked(m_nLastFunction != kNotSet);
    m_bSmartSplitting =
        SettingsStore::ReadYesNo(kOptions, QStringLiteral("Smart Address Splitting"), QStringLiteral("Yes"));
    Command(ID_SMART_ADDRESS_SPLITTING)->setChecked(m_bSmartSplitting);
}

void CMainDialog::ReadOutputFont()
{
    const QString stored = SettingsStore::ReadText(kOptions, QStringLiteral("Font"));
    if (stored.isEmpty())
        return;
    if (const auto record = ParseFontRecord(stored))
        SetOutputFont(FontFromRecord(*record));
}

void CMainDialog::OnRememberWindowPosition()
{
    m_bRememberPosition = !m_bRememberPosition;
    SettingsStore::WriteYesNo(kWindow, QStringLiteral("RememberPosition"), m_bRememberPosition);
    Command(ID_REMEMBER_WINDOW_POSITION)->setChecked(m_bRememberPosition);
}

void CMainDialog::OnRememberLastFunction()
{
    m_nLastFunction = m_nLastFunction == kNotSet ? Index(CurrentFunction()) : kNotSet;
    SettingsStore::WriteInt(kOptions, QStringLiteral("RememberLastFunction"), m_nLastFunction);
    Command(ID_REMEMBER_LAST_FUNCTION)->setChecked(m_nLastFunction != kNotSet);
}

void CMainDialog::OnSmartAddressSplitting()
{
    m_bSmartSplitting = !m_bSmartSplitting;
    SettingsStore::WriteYesNo(kOptions, QStringLiteral("Smart Address Splitting"), m_bSmartSplitting);
    Command(ID_SMART_ADDRESS_SPLITTING)->setChecked(m_bSmartSplitting);
}

void CMainDialog::RestoreWindowPlacement()
{
    QRect normal = geometry();
    Qt::WindowStates state = windowState();
    if (m_bRememberPosition) {
        m_nExpandedHeight = SettingsStore::ReadInt(kWindow, QStringLiteral("Height"), 350);
        const QString shown = SettingsStore::ReadText(kWindow, QStringLiteral("State"));
        const int left = SettingsStore::ReadInt(kWindow, QStringLiteral("Left"), kNotSet);
        const int top = SettingsStore::ReadInt(kWindow, QStringLiteral("Top"), kNotSet);
        const int right = SettingsStore::ReadInt(kWindow, QStringLiteral("Right"), kNotSet);
        if (left != kNotSet && top != kNotSet && right != kNotSet && right > left) {
            normal = QRect(left, top, right - left, normal.height());
            state = shown == QLatin1String("Maximized")   ? Qt::WindowMaximized
                    : shown == QLatin1String("Minimized") ? Qt::WindowMinimized
                                                          : Qt::WindowNoState;
        }
    }
    normal.setHeight(CompactHeight());
    setGeometry(normal);
    setWindowState(state);
}

void CMainDialog::SaveWindowPlacement()
{
    const QString state = isMaximized()   ? QStringLiteral("Maximized")
                          : isMinimized() ? QStringLiteral("Minimized")
                                          : QStringLiteral("Normal");
    SettingsStore::WriteText(kWindow, QStringLiteral("State"), state);
    // Minimised windows have no position of their own here; a maximised
    // window covers the screen's available area.
    const QRect maximised = screen() ? screen()->availableGeometry() : QRect();
    SettingsStore::WriteInt(kWindow, QStringLiteral("MinX"), kNotSet);
    SettingsStore::WriteInt(kWindow, QStringLiteral("MinY"), kNotSet);
    SettingsStore::WriteInt(kWindow, QStringLiteral("MaxX"), maximised.x());
    SettingsStore::WriteInt(kWindow, QStringLiteral("MaxY"), maximised.y());
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    SettingsStore::WriteInt(kWindow, QStringLiteral("Left"), normal.left());
    SettingsStore::WriteInt(kWindow, QStringLiteral("Top"), normal.top());
    SettingsStore::WriteInt(kWindow, QStringLiteral("Right"), normal.left() + normal.width());
    SettingsStore::WriteInt(kWindow, QStringLiteral("Bottom"), normal.top() + normal.height());
    SettingsStore::WriteInt(kWindow, QStringLiteral("Height"), m_nExpandedHeight);
    if (m_nLastFunction != kNotSet) {
        m_nLastFunction = Index(CurrentFunction());
        SettingsStore::WriteInt(kOptions, QStringLiteral("RememberLastFunction"), m_nLastFunction);
    }
}

void CMainDialog::SetUpResultColumns()
{
    for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute}) {
        QTreeWidget* list = ResultList(id);
        const ColumnWidths widths = StoredColumnWidths(id).value_or(DefaultColumnWidths(list));
        for (int column = 0; column < 4; ++column)
            list->header()->resizeSection(column, widths[static_cast<std::size_t>(column)]);
    }
}

std::optional<ColumnWidths> CMainDialog::StoredColumnWidths(FunctionId id) const
{
    const QString stored = SettingsStore::ReadText(ColumnsSection(id), QStringLiteral("Columns"));
    if (stored.isEmpty())
        return std::nullopt;
    return ParseColumnWidths(stored);
}

ColumnWidths CMainDialog::DefaultColumnWidths(const QTreeWidget* list) const
{
    const QFontMetrics metrics(list->font());
    ColumnWidths widths{};
    const QString samples[] = {QStringLiteral("99"), QStringLiteral("255.255.255.255"),
                               QString(22, QLatin1Char('W')), QStringLiteral("Response Time")};
    for (std::size_t column = 0; column < widths.size(); ++column)
        widths[column] = metrics.horizontalAdvance(samples[column]) + kColumnMargin;
    return widths;
}

void CMainDialog::SaveColumnWidths()
{
    for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute}) {
        const QHeaderView* header = ResultList(id)->header();
        ColumnWidths widths{};
        for (int column = 0; column < 4; ++column)
            widths[static_cast<std::size_t>(column)] = header->sectionSize(column);
        SettingsStore::WriteText(ColumnsSection(id), QStringLiteral("Columns"), FormatColumnWidths(widths));
    }
}

} // namespace netsonde
