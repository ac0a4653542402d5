#include "accessibility.h"

#include "frmmain.h"
#include "progresspanel.h"
#include "skinimage.h"
#include "skinnedwindow.h"
#include "stripwidget.h"
#include "styledbutton.h"
#include "timelineeditor.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QAccessibleWidget>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>

namespace {

const char *const LeftOut = "kesAccessibleLeftOut";
const char *const TimeCell = "kesTimeCell";

// "1:05" or "1:02:05" of a length in milliseconds.
QString spoken(qint64 ms)
{
    const qint64 s = ms / 1000;
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

// A window of the skin: a window named by its title, showing only the
// children that are not left out.
class SkinnedWindowAccessible : public QAccessibleWidget
{
public:
    explicit SkinnedWindowAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Window) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return widget()->windowTitle();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return int(shown().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> list = shown();
        return index >= 0 && index < list.size() ? QAccessible::queryAccessibleInterface(list.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(shown().indexOf(qobject_cast<QWidget *>(child->object()))) : -1;
    }

private:
    QList<QWidget *> shown() const
    {
        QList<QWidget *> list;
        for (QObject *o : widget()->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (w && !w->isWindow() && !w->property(LeftOut).toBool())
                list.append(w);
        }
        return list;
    }
};

// A control whose parts are drawn by it alone: no children for the tools.
class LeafAccessible : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
};

// A button with one press action; the clicks themselves are the control's.
class PressableAccessible : public LeafAccessible
{
public:
    PressableAccessible(QWidget *w, QAccessible::Role role) : LeafAccessible(w, role) {}

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString &) const override
    {
        const QVariant keys = widget()->property("kesShortcut");
        return keys.isValid() ? QStringList{keys.toString()} : QStringList{};
    }
    void doAction(const QString &name) override
    {
        if (name == pressAction())
            press();
    }

protected:
    virtual void press() = 0;
};

class SkinImageAccessible : public PressableAccessible
{
public:
    explicit SkinImageAccessible(SkinImage *w) : PressableAccessible(w, w->accessibleRole()) {}

private:
    // Later, not inside the call: a command may open a modal dialog, and the
    // caller waits for this call's answer.
    void press() override { QMetaObject::invokeMethod(static_cast<SkinImage *>(widget()), &SkinImage::click, Qt::QueuedConnection); }
};

class StyledButtonAccessible : public PressableAccessible
{
public:
    explicit StyledButtonAccessible(StyledButton *w)
        : PressableAccessible(w, w->ButtonType() == 1 ? QAccessible::CheckBox : QAccessible::Button)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->Caption().simplified();
        return PressableAccessible::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = PressableAccessible::state();
        if (button()->ButtonType() == 1) {
            s.checkable = true;
            s.checked = button()->Value();
        }
        return s;
    }

private:
    StyledButton *button() const { return static_cast<StyledButton *>(widget()); }
    void press() override
    {
        if (button()->isEnabled())
            QMetaObject::invokeMethod(button(), &StyledButton::click, Qt::QueuedConnection);
    }
};

// A value the tools read and never set.
class ValueAccessible : public LeafAccessible, public QAccessibleValueInterface
{
public:
    using LeafAccessible::LeafAccessible;
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface *>(this)
                                                : LeafAccessible::interface_cast(t);
    }
    void setCurrentValue(const QVariant &) override {}
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 0; }
};

// The strip: its value is the play position in milliseconds, its
// description the selection.
class StripAccessible : public ValueAccessible
{
public:
    explicit StripAccessible(QWidget *w) : ValueAccessible(w, QAccessible::Slider) {}

    QString text(QAccessible::Text t) const override
    {
        TimelineEditor *e = editor();
        if (t == QAccessible::Description && e) {
            const TimelineModel &m = e->model();
            using L = TimelineModel::Label;
            return QCoreApplication::translate("Accessibility", "选择 %1 到 %2，长 %3，全长 %4")
                .arg(m.text(L::lblSelBegin), m.text(L::lblSelEnd), m.text(L::lblSelLength), spoken(m.lengthMs()));
        }
        if (t == QAccessible::Value && e)
            return spoken(e->controller().pointerMs());
        return ValueAccessible::text(t);
    }
    QVariant currentValue() const override { return editor() ? editor()->controller().pointerMs() : 0; }
    QVariant maximumValue() const override { return editor() ? editor()->model().lengthMs() : 0; }

private:
    TimelineEditor *editor() const
    {
        auto *window = qobject_cast<frmMain *>(widget()->window());
        return window ? &window->editor() : nullptr;
    }
};

// A progress panel: a bar named by its job, its value the percentage it shows.
class ProgressAccessible : public ValueAccessible
{
public:
    explicit ProgressAccessible(ProgressPanel *w) : ValueAccessible(w, QAccessible::ProgressBar) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<ProgressPanel *>(widget())->text()->text();
        return ValueAccessible::text(t);
    }
    QVariant currentValue() const override
    {
        QString shown = static_cast<ProgressPanel *>(widget())->text()->text();
        shown.remove(QLatin1Char('%'));
        return shown.trimmed().toDouble();
    }
    QVariant maximumValue() const override { return 100; }
};

// A list on a skin, named by what it chooses. On Linux Qt names a combo box
// by its current item and leaves the rest to a label beside it; here the skin
// paints that label, so the name set on the list is its name and the item
// its value.
class ComboAccessible : public QAccessibleWidget
{
public:
    explicit ComboAccessible(QComboBox *w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value || (t == QAccessible::Name && combo()->accessibleName().isEmpty()))
            return combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        return s;
    }
    // The one child is the list of items, as with Qt's own combo box.
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == combo()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == showMenuAction() || name == pressAction())
            QMetaObject::invokeMethod(combo(), &QComboBox::showPopup, Qt::QueuedConnection);
    }

private:
    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }
};

class LiveStatusAccessible : public QAccessibleWidget
{
public:
    explicit LiveStatusAccessible(LiveStatus *w) : QAccessibleWidget(w, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<LiveStatus *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == u"SkinImage")
        return new SkinImageAccessible(static_cast<SkinImage *>(object));
    if (className == u"StyledButton")
        return new StyledButtonAccessible(static_cast<StyledButton *>(object));
    if (className == u"StripWidget")
        return new StripAccessible(static_cast<QWidget *>(object));
    if (className == u"ProgressPanel")
        return new ProgressAccessible(static_cast<ProgressPanel *>(object));
    if (className == u"LiveStatus")
        return new LiveStatusAccessible(static_cast<LiveStatus *>(object));
    if (className == u"QComboBox" && object->parent() && object->parent()->inherits("SkinnedWindow"))
        return new ComboAccessible(static_cast<QComboBox *>(object));
    if (className == u"SkinnedWindow")
        return new SkinnedWindowAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

namespace Accessibility {

void install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

void leaveOut(QWidget *widget)
{
    widget->setProperty(LeftOut, true);
    widget->setFocusPolicy(Qt::NoFocus);
}

// A label's interface is made with the label, so the name itself carries
// the time; setting it tells the tools.
void markTimeCell(QLabel *label, const QString &cellName)
{
    label->setProperty(TimeCell, cellName);
    timeCellChanged(label);
}

void timeCellChanged(QLabel *label)
{
    label->setAccessibleName(label->property(TimeCell).toString() + QLatin1Char(' ') + label->text());
}

void valueChanged(QWidget *widget)
{
    if (!QAccessible::isActive() || !widget->isVisible())
        return;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    if (!iface || !iface->valueInterface())
        return;
    QAccessibleValueChangeEvent value(widget, iface->valueInterface()->currentValue());
    QAccessible::updateAccessibility(&value);
}

void timelineChanged(QWidget *strip)
{
    if (!QAccessible::isActive() || !strip->isVisible())
        return;
    valueChanged(strip);
    QAccessibleEvent description(strip, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}

} // namespace Accessibility

LiveStatus::LiveStatus(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lblAnnounce"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void LiveStatus::announce(const QString &text)
{
    m_text = text;
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    // Transparent and beneath the hint line: showing it again changes
    // nothing on the screen.
    hide();
    show();
}
