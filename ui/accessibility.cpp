#include "ui/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/dialog_view.h"

namespace kestrin::ui {

namespace {

class ComboBoxAccessible final : public QAccessibleWidget {
public:
    explicit ComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        auto* box = static_cast<QComboBox*>(widget());
        if (kind == QAccessible::Name) return box->accessibleName();
        if (kind == QAccessible::Value) return box->currentText();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString& action) override {
        if (action == showMenuAction()) static_cast<QComboBox*>(widget())->showPopup();
    }
};

QAccessibleInterface* makeAccessible(const QString& className, QObject* object) {
    // Asked first with the object's own class name; answered only then.
    if (!object || className != QLatin1String(object->metaObject()->className())) return nullptr;
    if (auto* box = qobject_cast<QComboBox*>(object)) return new ComboBoxAccessible(box);
    if (auto* dialog = qobject_cast<DialogView*>(object)) return new QAccessibleWidget(dialog, QAccessible::Dialog);
    return nullptr;
}

}  // namespace

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(makeAccessible);
        return true;
    }();
    (void)installed;
}

void nameControl(QWidget* control, const QString& name) {
    control->setAccessibleName(name);
    if (auto* box = qobject_cast<QComboBox*>(control); box && box->lineEdit()) box->lineEdit()->setAccessibleName(name);
}

void describeValue(QLabel* value, const QString& description, QLabel* caption) {
    value->setAccessibleDescription(description);
    if (caption) caption->setBuddy(value);
}

}  // namespace kestrin::ui
