// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ComboBoxAccessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace netsonde {

namespace {

// A combo box with its drop-down list and, when editable, its edit field as
// children; its actions open and close the list.
class ComboBoxAccessible : public QAccessibleWidget {
public:
    explicit ComboBoxAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Combo()->currentText();
        const QString labelled = QAccessibleWidget::text(t);
        // A box without a label is known by what it shows.
        return t == QAccessible::Name && labelled.isEmpty() ? Combo()->currentText() : labelled;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Combo()->view()->isVisible();
        state.editable = Combo()->isEditable();
        return state;
    }

    int childCount() const override { return static_cast<int>(Parts().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> parts = Parts();
        return index >= 0 && index < parts.size() ? QAccessible::queryAccessibleInterface(parts.at(index)) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return static_cast<int>(Parts().indexOf(qobject_cast<QWidget*>(child->object())));
    }

    // The edit field has the keyboard focus of an editable box.
    QAccessibleInterface* focusChild() const override { return Combo()->isEditable() ? child(1) : nullptr; }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString& action) override
    {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (Combo()->view()->isVisible())
            Combo()->hidePopup();
        else
            Combo()->showPopup();
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }

    QList<QWidget*> Parts() const
    {
        QList<QWidget*> parts{Combo()->view()};
        if (Combo()->isEditable())
            parts << Combo()->lineEdit();
        return parts;
    }
};

QAccessibleInterface* CreateComboBoxAccessible(const QString& className, QObject* object)
{
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo && className == QLatin1String("QComboBox") ? new ComboBoxAccessible(combo) : nullptr;
}

} // namespace

// Factories installed later are asked first, so this one comes before the
// one the application object installs for Qt's widgets.
void NameComboBoxesAfterTheirLabels()
{
    QAccessible::installFactory(&CreateComboBoxAccessible);
}

} // namespace netsonde
