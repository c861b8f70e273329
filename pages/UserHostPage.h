// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pages that take a user and a host (Finger and WhoIs): with Smart
// Address Splitting on, "user@host" typed into either field is divided.

#include "pages/PropertyPage.h"

#include <functional>

class QCheckBox;
class QLineEdit;

namespace netsonde {

class CUserHostPage : public CPropertyPage {
    Q_OBJECT
public:
    CUserHostPage(int dialogId, HostExchange hostExchange, QWidget* parent);

    // Where the page reads the Smart Address Splitting option.
    void SetSmartSplittingSource(std::function<bool()> source) { m_smartSplitting = std::move(source); }

    void SplitHostField();
    void SplitUserField();

    QList<QWidget*> StretchableFields() const override;
    void OnTabSelected() override;

    QString m_strUser;
    bool m_bClearOutput = false;

protected:
    void OnRefresh() override;
    // The host combo, the User field and their labels, wired for splitting.
    void CreateUserHostControls(int hostId, int userId);
    void ExchangeUser(bool bSaveAndValidate);
    QLineEdit* UserEdit() const { return m_userEdit; }

private:
    bool SmartSplittingOn() const { return m_smartSplitting && m_smartSplitting(); }

    QLineEdit* m_userEdit = nullptr;
    std::function<bool()> m_smartSplitting;
    bool m_bSplitting = false;
};

class CFingerPage : public CUserHostPage {
    Q_OBJECT
public:
    explicit CFingerPage(QWidget* parent);

    void DoDataExchange(bool bSaveAndValidate) override;
    QList<QWidget*> InputControls() const override;

    bool m_bVerboseFormat = false;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    QCheckBox* m_clearOutput = nullptr;
    QCheckBox* m_verbose = nullptr;
};

class CWhoIsPage : public CUserHostPage {
    Q_OBJECT
public:
    explicit CWhoIsPage(QWidget* parent);

    void DoDataExchange(bool bSaveAndValidate) override;
    QList<QWidget*> InputControls() const override;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    QCheckBox* m_clearOutput = nullptr;
};

} // namespace netsonde
