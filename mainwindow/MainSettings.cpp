// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window keeps in the settings store: the options, the
// output font, the window placement and the result-list columns.

#include "mainwindow/MainDialog.h"

#include "run/ResultColumns.h"

#include "mainwindow/FontConversion.h"
#include "settings/SettingsKeys.h"

#include <QAction>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <numeric>

namespace netsonde {

namespace {

constexpr int kNotSet = -1;
constexpr int kColumnMargin = 15;

// The list's width inside its frame, less a vertical scroll bar.
int ListContentWidth(const QTreeWidget* list)
{
    return list->contentsRect().width() - list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
}

SettingKey ColumnsKey(FunctionId id)
{
    return id == FunctionId::Ping ? SettingKey::PingColumns : SettingKey::TraceRouteColumns;
}

} // namespace

void MainDialog::ReadOptions()
{
    m_options.rememberPosition = ReadFlagSetting(SettingKey::WindowRememberPosition);
    m_actions.rememberWindowPosition->setChecked(m_options.rememberPosition);
    m_options.lastFunction = ReadIntSetting(SettingKey::RememberLastFunction);
    m_actions.rememberLastFunction->setChecked(m_options.lastFunction != kNotSet);
    m_options.smartSplitting = ReadFlagSetting(SettingKey::SmartAddressSplitting);
    m_actions.smartAddressSplitting->setChecked(m_options.smartSplitting);
    m_options.preferIPv6 = ReadFlagSetting(SettingKey::PreferIPv6);
    m_actions.preferIPv6->setChecked(m_options.preferIPv6);
}

void MainDialog::ReadOutputFont()
{
    const QString stored = ReadTextSetting(SettingKey::OutputFont);
    if (stored.isEmpty())
        return;
    if (const auto record = ParseFontRecord(stored))
        SetOutputFont(FontFromRecord(*record));
}

void MainDialog::OnRememberWindowPosition()
{
    m_options.rememberPosition = !m_options.rememberPosition;
    WriteFlagSetting(SettingKey::WindowRememberPosition, m_options.rememberPosition);
    m_actions.rememberWindowPosition->setChecked(m_options.rememberPosition);
}

void MainDialog::OnRememberLastFunction()
{
    m_options.lastFunction = m_options.lastFunction == kNotSet ? Index(CurrentFunction()) : kNotSet;
    WriteSetting(SettingKey::RememberLastFunction, m_options.lastFunction);
    m_actions.rememberLastFunction->setChecked(m_options.lastFunction != kNotSet);
}

void MainDialog::OnSmartAddressSplitting()
{
    m_options.smartSplitting = !m_options.smartSplitting;
    WriteFlagSetting(SettingKey::SmartAddressSplitting, m_options.smartSplitting);
    m_actions.smartAddressSplitting->setChecked(m_options.smartSplitting);
}

void MainDialog::OnPreferIPv6()
{
    m_options.preferIPv6 = !m_options.preferIPv6;
    WriteFlagSetting(SettingKey::PreferIPv6, m_options.preferIPv6);
    m_actions.preferIPv6->setChecked(m_options.preferIPv6);
}

// Without a remembered placement the window keeps its compact size and is
// given no position of ours: the window manager places it (see setVisible).
// A remembered position is kept on the screen, title bar included.
void MainDialog::RestoreWindowPlacement()
{
    if (!m_options.rememberPosition)
        return;
    m_options.expandedHeight = ReadIntSetting(SettingKey::WindowHeight);
    const QString shown = ReadTextSetting(SettingKey::WindowState);
    const int left = ReadIntSetting(SettingKey::WindowLeft);
    const int top = ReadIntSetting(SettingKey::WindowTop);
    const int right = ReadIntSetting(SettingKey::WindowRight);
    if (left == kNotSet || top == kNotSet || right == kNotSet || right <= left)
        return;
    setGeometry(left, top, right - left, CompactHeight());
    KeepFrameOnScreen();
    m_placeFrameWhenExposed = true;
    setWindowState(shown == QLatin1String("Maximized")   ? Qt::WindowMaximized
                   : shown == QLatin1String("Minimized") ? Qt::WindowMinimized
                                                         : Qt::WindowNoState);
}

void MainDialog::KeepFrameOnScreen()
{
    if (isMaximized() || isMinimized())
        return;
    const QRect frame = frameGeometry();
    const QScreen* shownOn = QGuiApplication::screenAt(frame.center());
    if (!shownOn)
        shownOn = screen();
    if (!shownOn)
        return;
    const QRect area = shownOn->availableGeometry();
    const QPoint inside(std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())),
                        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
    if (inside != frame.topLeft())
        move(inside);
}

void MainDialog::SaveWindowPlacement()
{
    const QString state = isMaximized()   ? QStringLiteral("Maximized")
                          : isMinimized() ? QStringLiteral("Minimized")
                                          : QStringLiteral("Normal");
    WriteSetting(SettingKey::WindowState, state);
    // Minimised windows have no position of their own here; a maximised
    // window covers the screen's available area.
    const QRect maximised = screen() ? screen()->availableGeometry() : QRect();
    WriteSetting(SettingKey::WindowMinX, kNotSet);
    WriteSetting(SettingKey::WindowMinY, kNotSet);
    WriteSetting(SettingKey::WindowMaxX, maximised.x());
    WriteSetting(SettingKey::WindowMaxY, maximised.y());
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    WriteSetting(SettingKey::WindowLeft, normal.left());
    WriteSetting(SettingKey::WindowTop, normal.top());
    WriteSetting(SettingKey::WindowRight, normal.left() + normal.width());
    WriteSetting(SettingKey::WindowBottom, normal.top() + normal.height());
    WriteSetting(SettingKey::WindowHeight, m_options.expandedHeight);
    if (m_options.lastFunction != kNotSet) {
        m_options.lastFunction = Index(CurrentFunction());
        WriteSetting(SettingKey::RememberLastFunction, m_options.lastFunction);
    }
}

static_assert(std::tuple_size_v<ColumnWidths> == kBaseResultColumnCount, "one stored width per base result column");

void MainDialog::SetUpResultColumns()
{
    for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute}) {
        // The list takes its place in the hidden pane before it is measured.
        Pane(id)->layout()->activate();
        QTreeWidget* list = ResultList(id);
        const ColumnWidths widths = StoredColumnWidths(id).value_or(DefaultColumnWidths(list));
        for (int column = 0; column < kBaseResultColumnCount; ++column)
            list->header()->resizeSection(column, widths[static_cast<std::size_t>(column)]);
        const QFontMetrics metrics(list->font());
        for (int column = kBaseResultColumnCount; column < kResultColumnCount; ++column) {
            const QString sample = QString::fromLatin1(kResultColumns[static_cast<std::size_t>(column)].widthSample);
            list->header()->resizeSection(column, metrics.horizontalAdvance(sample) + kColumnMargin);
        }
    }
}

std::optional<ColumnWidths> MainDialog::StoredColumnWidths(FunctionId id) const
{
    const QString stored = ReadTextSetting(ColumnsKey(id));
    if (stored.isEmpty())
        return std::nullopt;
    return ParseColumnWidths(stored);
}

// Each column is as wide as its sample, but Host Name takes the width the
// other three leave in the list (a vertical scroll bar counted in), never
// less than its heading: every column shows in the default window.
ColumnWidths MainDialog::DefaultColumnWidths(const QTreeWidget* list) const
{
    const QFontMetrics metrics(list->font());
    ColumnWidths widths{};
    for (std::size_t column = 0; column < widths.size(); ++column)
        widths[column] =
            metrics.horizontalAdvance(QString::fromLatin1(kResultColumns[column].widthSample)) + kColumnMargin;
    const auto hostName = static_cast<std::size_t>(ColumnIndex(ResultColumn::HostName));
    const int others = std::accumulate(widths.begin(), widths.end(), 0) - widths[hostName];
    const QString headingText = QString::fromLatin1(kResultColumns[hostName].heading);
    const int heading = QFontMetrics(list->header()->font()).horizontalAdvance(headingText) + kColumnMargin;
    widths[hostName] = std::max(ListContentWidth(list) - others, heading);
    return widths;
}

// What a wider window gains goes to the Address columns, until they show
// the longest IPv6 address; the other columns keep their widths.
void MainDialog::WidenAddressColumns(int growth)
{
    if (growth <= 0)
        return;
    const int address = ColumnIndex(ResultColumn::Address);
    for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute}) {
        QHeaderView* header = ResultList(id)->header();
        const QFontMetrics metrics(ResultList(id)->font());
        const int longest = metrics.horizontalAdvance(QString::fromLatin1(kLongestAddressSample)) + kColumnMargin;
        const int current = header->sectionSize(address);
        if (current < longest)
            header->resizeSection(address, std::min(longest, current + growth));
    }
}

void MainDialog::SaveColumnWidths()
{
    for (FunctionId id : {FunctionId::Ping, FunctionId::TraceRoute}) {
        const QHeaderView* header = ResultList(id)->header();
        ColumnWidths widths{};
        for (int column = 0; column < kBaseResultColumnCount; ++column)
            widths[static_cast<std::size_t>(column)] = header->sectionSize(column);
        WriteSetting(ColumnsKey(id), FormatColumnWidths(widths));
    }
}

} // namespace netsonde
