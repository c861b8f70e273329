// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/FontCommand.h"

#include "mainwindow/CommonDialogs.h"
#include "mainwindow/FontConversion.h"
#include "mainwindow/MainDialog.h"
#include "mainwindow/OutputPane.h"
#include "settings/SettingsKeys.h"

namespace netsonde {

void OnOutputFont(MainDialog& dialog)
{
    const QFont current = dialog.TextPane(FunctionId::Finger)->font();
    std::optional<QFont> chosen = ActiveCommonDialogs().chooseFont(&dialog, current);
    if (!chosen)
        return;
    chosen->setUnderline(false);
    chosen->setStrikeOut(false);
    dialog.SetOutputFont(*chosen);
    WriteSetting(SettingKey::OutputFont, FormatFontRecord(RecordFromFont(*chosen)));
}

} // namespace netsonde
