#pragma once

#include <QAccessibleWidget>

class ProgressView;

// What a screen reader learns of the progress bar: a progress bar named "Download progress" whose value
// is the percentage shown.
class ProgressViewAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressViewAccessible(ProgressView* view);

    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override {} // only the download moves it
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 1; }

private:
    const ProgressView* view() const;
};
