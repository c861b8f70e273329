// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PropertyPage.h"

class QCheckBox;

namespace netsonde {

class CNameServerLookUpPage : public CPropertyPage {
    Q_OBJECT
public:
    explicit CNameServerLookUpPage(QWidget* parent);

    void DoDataExchange(bool bSaveAndValidate) override;
    QList<QWidget*> InputControls() const override;
    QList<QWidget*> StretchableFields() const override;
    void ClearRecentList() override;
    void OnTabSelected() override;
    void SelectInitialEntries() override;

    // The name-server field is usable unless the selected search type is the
    // resolver mode (compared exactly, case included).
    bool NameServerUsable() const;
    void UpdateNameServerEnabled();
    // The same Recent List rule, on the name-server list.
    void AddRecentNameServer(const QString& text);
    QStringList RecentNameServers() const;
    void SelectFirstSearchType();

    QString m_strSearchType;
    QString m_strNameServer;
    bool m_bClearOutput = false;
    bool m_bVerboseFormat = false;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    QComboBox* m_searchType = nullptr;
    QComboBox* m_nameServer = nullptr;
    QCheckBox* m_clearOutput = nullptr;
    QCheckBox* m_verbose = nullptr;
};

} // namespace netsonde
