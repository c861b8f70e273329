// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PropertyPage.h"

class QCheckBox;

namespace netsonde {

class NameServerLookUpPage : public PropertyPage {
    Q_OBJECT
public:
    explicit NameServerLookUpPage(QWidget* parent);

    void DoDataExchange(bool saveAndValidate) override;
    QList<QWidget*> InputControls() const override;
    QList<QWidget*> StretchableFields() const override;
    void ClearRecentList() override;
    void OnTabSelected() override;
    void SelectInitialEntries() override;
    void WriteInputs(RunInputs& inputs) override;
    // In DNS mode the name server goes to the top of its own Recent List too.
    void RecordRun(const RunInputs& inputs) override;

    // The name-server field is usable unless the selected search type is the
    // resolver mode (compared exactly, case included).
    bool NameServerUsable() const;
    void UpdateNameServerEnabled();
    // The same Recent List rule, on the name-server list.
    void AddRecentNameServer(const QString& text);
    QStringList RecentNameServers() const;
    void SelectFirstSearchType();

    QString m_searchType;
    QString m_nameServer;
    bool m_clearOutput = false;
    bool m_verboseFormat = false;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    QComboBox* m_searchTypeBox = nullptr;
    QComboBox* m_nameServerBox = nullptr;
    QCheckBox* m_clearOutputCheckBox = nullptr;
    QCheckBox* m_verbose = nullptr;
};

} // namespace netsonde
