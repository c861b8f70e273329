// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pages that take a user and a host (Finger and WhoIs): with Smart
// Address Splitting on, "user@host" typed into either field is divided.

#include "pages/PropertyPage.h"

#include <functional>

class QCheckBox;
class QLineEdit;

namespace netsonde {

class UserHostPage : public PropertyPage {
    Q_OBJECT
public:
    UserHostPage(int dialogId, HostExchange hostExchange, QWidget* parent);

    // Where the page reads the Smart Address Splitting option.
    void SetSmartSplittingSource(std::function<bool()> source) { m_smartSplitting = std::move(source); }

    void SplitHostField();
    void SplitUserField();

    QList<QWidget*> StretchableFields() const override;
    void OnTabSelected() override;
    // "user@host" in the host field is split before it is read.
    void WriteInputs(RunInputs& inputs) override;
    // The Recent List entry is user@host, or the host alone without a user.
    void RecordRun(const RunInputs& inputs) override;
    void Refresh() override;

    QString m_user;
    bool m_clearOutput = false;

protected:
    // The host combo, the User field and their labels, wired for splitting.
    void CreateUserHostControls(int hostId, int userId);
    void ExchangeUser(bool saveAndValidate);
    QLineEdit* UserEdit() const { return m_userEdit; }

private:
    bool SmartSplittingOn() const { return m_smartSplitting && m_smartSplitting(); }

    QLineEdit* m_userEdit = nullptr;
    std::function<bool()> m_smartSplitting;
    bool m_splitting = false;
};

class FingerPage : public UserHostPage {
    Q_OBJECT
public:
    explicit FingerPage(QWidget* parent);

    void DoDataExchange(bool saveAndValidate) override;
    QList<QWidget*> InputControls() const override;
    void WriteInputs(RunInputs& inputs) override;

    bool m_verboseFormat = false;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    QCheckBox* m_clearOutputCheckBox = nullptr;
    QCheckBox* m_verbose = nullptr;
};

class WhoIsPage : public UserHostPage {
    Q_OBJECT
public:
    explicit WhoIsPage(QWidget* parent);

    void DoDataExchange(bool saveAndValidate) override;
    QList<QWidget*> InputControls() const override;

protected:
    void CreateControls() override;
    void OnInitDialog() override;
    void OnDestroy() override;

private:
    QCheckBox* m_clearOutputCheckBox = nullptr;
};

} // namespace netsonde
