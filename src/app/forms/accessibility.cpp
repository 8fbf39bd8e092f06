// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "accessibility.h"

#include "form.h"
#include "image.h"
#include "label.h"
#include "shape.h"
#include "triggerbutton.h"

#include <QAccessibleWidget>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QTime>
#include <QTimer>
#include <algorithm>

namespace forms {

namespace {

// Changes of a display are told no more often than this: the points change on every beat.
constexpr int displayPeriodMs = 1000;

std::function<void(QAccessibleEvent *)> &observer()
{
    static std::function<void(QAccessibleEvent *)> watching;
    return watching;
}

bool listened()
{
    return QAccessible::isActive() || observer();
}

void tell(QAccessibleEvent &event)
{
    if (observer())
        observer()(&event);
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(&event);
}

void tell(QObject *object, QAccessible::Event type)
{
    QAccessibleEvent event(object, type);
    tell(event);
}

QString withoutMnemonic(const QString &caption)
{
    return QString(caption).remove(QLatin1Char('&'));
}

// The number a display's caption stands for: the points, or the seconds of a time.
int numberOf(const QString &caption)
{
    const QTime time = QTime::fromString(caption, QStringLiteral("HH:mm:ss"));
    return time.isValid() ? time.msecsSinceStartOfDay() / 1000 : caption.toInt();
}

// What a screen says about one of its controls, beyond what the control itself shows.
class Hints : public QObject
{
public:
    explicit Hints(QObject *control)
        : QObject(control)
    {
    }

    bool leftOut = false;
    bool unavailable = false;
    std::function<QString(const QString &)> spoken;
    std::function<bool()> checked; // set on a check box

    // A display: its fixed name, its largest value, and what was last told of it.
    QString displayName;
    int maximum = 0;
    QString told;
    QElapsedTimer sinceTold;
    QTimer *pending = nullptr;
};

// The helper objects here carry no meta-object of their own: find them by their C++ type.
template <class T> T *childOf(const QObject *parent)
{
    for (QObject *child : parent->children())
        if (auto *found = dynamic_cast<T *>(child))
            return found;
    return nullptr;
}

const Hints *hintsOf(const QObject *control)
{
    return childOf<Hints>(control);
}

Hints &hints(QObject &control)
{
    if (Hints *existing = childOf<Hints>(&control))
        return *existing;
    return *new Hints(&control);
}

bool isDisplay(const QObject *control)
{
    const Hints *h = hintsOf(control);
    return h && !h->displayName.isEmpty();
}

// Tells the caption's new text and value, or waits until a period has passed since the last time.
void tellDisplay(Label &label, Hints &h)
{
    if (h.sinceTold.isValid() && h.sinceTold.elapsed() < displayPeriodMs) {
        if (!h.pending) {
            h.pending = new QTimer(&h);
            h.pending->setSingleShot(true);
            h.pending->setTimerType(Qt::PreciseTimer);
            QObject::connect(h.pending, &QTimer::timeout, &h, [&label, &h] { tellDisplay(label, h); });
        }
        if (!h.pending->isActive())
            h.pending->start(int(displayPeriodMs - h.sinceTold.elapsed()));
        return;
    }
    const QString now = label.Caption();
    if (now == h.told)
        return;
    if (!h.told.isEmpty()) {
        QAccessibleTextRemoveEvent removed(&label, 0, h.told);
        tell(removed);
    }
    if (!now.isEmpty()) {
        QAccessibleTextInsertEvent inserted(&label, 0, now);
        tell(inserted);
    }
    QAccessibleValueChangeEvent value(&label, numberOf(now));
    tell(value);
    h.told = now;
    h.sinceTold.start();
}

// Panels, outlines and controls whose words another control says are not read.
bool isRead(const Control &control)
{
    if (qobject_cast<const Shape *>(&control))
        return false;
    if (const Hints *h = hintsOf(&control); h && h->leftOut)
        return false;
    const auto *label = qobject_cast<const Label *>(&control);
    return !label || !label->Caption().isEmpty() || !label->accessibleName().isEmpty();
}

// The screen's status line: read out each time it says something new. It is never drawn and
// takes no input; only screen readers know it, and they see it once it has something to say.
// Kept hidden from the toolkit, which would otherwise tell of its showing a second time.
class LiveStatus : public QWidget
{
public:
    explicit LiveStatus(Form *screen)
        : QWidget(screen)
    {
        setObjectName(QStringLiteral("Annonce"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(QRect());
        hide();
    }

    QString message;
};

class LiveStatusAccessible : public QAccessibleWidget
{
public:
    explicit LiveStatusAccessible(LiveStatus *status)
        : QAccessibleWidget(status, QAccessible::Notification)
    {
    }

    QString message() const { return static_cast<LiveStatus *>(widget())->message; }

    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? message() : QString(); }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = message().isEmpty() || !widget()->parentWidget()->isVisible();
        return state;
    }
};

class FormAccessible : public QAccessibleWidget
{
public:
    explicit FormAccessible(Form *form)
        : QAccessibleWidget(form, QAccessible::Window)
    {
        QObject::connect(form, &QWidget::windowTitleChanged, form, [form] { tell(form, QAccessible::NameChanged); });
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? widget()->windowTitle() : QAccessibleWidget::text(t);
    }

    int childCount() const override { return int(readChildren().size()); }

    QAccessibleInterface *child(int index) const override
    {
        return QAccessible::queryAccessibleInterface(readChildren().value(index));
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(readChildren().indexOf(child->object())) : -1;
    }

    // What is under a point is the topmost control there, as for a drop.
    QAccessibleInterface *childAt(int x, int y) const override
    {
        QWidget *under = widget()->childAt(widget()->mapFromGlobal(QPoint(x, y)));
        return under && readChildren().contains(under) ? QAccessible::queryAccessibleInterface(under) : nullptr;
    }

private:
    // In reading order, top to bottom and then left to right, whatever order the screen made
    // them in; the status line last.
    QList<QObject *> readChildren() const
    {
        QList<Control *> controls;
        QObject *status = nullptr;
        for (QObject *child : widget()->children()) {
            if (auto *control = qobject_cast<Control *>(child); control && isRead(*control))
                controls.append(control);
            else if (dynamic_cast<LiveStatus *>(child))
                status = child;
        }
        std::stable_sort(controls.begin(), controls.end(), [](const Control *a, const Control *b) {
            return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
        });
        QList<QObject *> read(controls.begin(), controls.end());
        if (status)
            read.append(status);
        return read;
    }
};

// A label used as a button and switched off is a locked level, which only its description
// says: tell when that changes.
class LockWatcher : public QObject
{
public:
    explicit LockWatcher(Control *button)
        : QObject(button)
        , m_locked(!button->Enabled())
    {
        button->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange) {
            auto *button = static_cast<Control *>(watched);
            const bool locked = !button->Enabled();
            if (locked != m_locked && button->isClickable())
                tell(watched, QAccessible::DescriptionChanged);
            m_locked = locked;
        }
        return false;
    }

private:
    bool m_locked;
};

class ControlAccessible : public QAccessibleWidget, public QAccessibleTextInterface, public QAccessibleValueInterface
{
public:
    explicit ControlAccessible(Control *control)
        : QAccessibleWidget(control)
    {
        // Made as soon as the toolkit tells of the control, which can be before its handlers are
        // connected: whether it is a button is asked each time.
        if (qobject_cast<Label *>(control))
            new LockWatcher(control);
    }

    Control *control() const { return static_cast<Control *>(widget()); }
    Label *label() const { return qobject_cast<Label *>(widget()); }
    bool isButton() const { return control()->isClickable() && !qobject_cast<TriggerButton *>(control()); }
    bool isCheckBox() const
    {
        const Hints *h = hintsOf(control());
        return h && h->checked && isButton();
    }

    QAccessible::Role role() const override
    {
        if (isCheckBox())
            return QAccessible::CheckBox;
        if (qobject_cast<TriggerButton *>(control()) || control()->isClickable())
            return QAccessible::Button;
        return qobject_cast<Image *>(control()) ? QAccessible::Graphic : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return name();
        case QAccessible::Description:
            // Only the levels not yet won are switched off buttons.
            if (isButton() && !control()->Enabled())
                return QStringLiteral("verrouillé");
            return QAccessibleWidget::text(t);
        case QAccessible::Value:
            return isDisplay(control()) ? label()->Caption() : QString();
        case QAccessible::Accelerator:
            return label() ? QKeySequence::mnemonic(label()->Caption()).toString(QKeySequence::NativeText) : QString();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (!control()->Visible())
            state.invisible = true;
        // Parked out of sight: trigger buttons, other games' labels, the spare metronomes.
        if (!control()->form()->rect().intersects(control()->geometry())) {
            state.invisible = true;
            state.offscreen = true;
        }
        if (const Hints *h = hintsOf(control()); h && h->unavailable)
            state.disabled = true;
        if (isCheckBox()) {
            state.checkable = true;
            state.checked = hintsOf(control())->checked();
        }
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (isCheckBox())
            names.prepend(toggleAction());
        else if (isButton())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString &action) override
    {
        // The reply goes back before the click runs: a click that opens a screen can take longer
        // than a screen reader waits for the reply.
        if ((action == pressAction() || (action == toggleAction() && isCheckBox())) && isButton())
            QTimer::singleShot(0, control(), [button = control()] { button->activate(); });
        else
            QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        const QString key = text(QAccessible::Accelerator);
        if ((action == pressAction() || action == toggleAction()) && !key.isEmpty())
            return {key};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (isDisplay(control())) {
            if (type == QAccessible::TextInterface)
                return static_cast<QAccessibleTextInterface *>(this);
            if (type == QAccessible::ValueInterface)
                return static_cast<QAccessibleValueInterface *>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    // A display's text is its caption, and its value the number the caption stands for.
    QString text(int startOffset, int endOffset) const override
    {
        return label()->Caption().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(label()->Caption().size()); }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    QVariant currentValue() const override { return numberOf(label()->Caption()); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return hintsOf(control())->maximum; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    QString name() const
    {
        const Hints *h = hintsOf(control());
        if (h && !h->displayName.isEmpty())
            return h->displayName;
        if (!control()->accessibleName().isEmpty())
            return control()->accessibleName();
        if (const Label *l = label())
            return h && h->spoken ? h->spoken(l->Caption()) : withoutMnemonic(l->Caption());
        if (qobject_cast<Image *>(control()))
            return control()->toolTip().isEmpty() ? QStringLiteral("Image") : control()->toolTip();
        return control()->objectName();
    }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *control = qobject_cast<Control *>(object))
        return new ControlAccessible(control);
    if (auto *form = qobject_cast<Form *>(object))
        return new FormAccessible(form);
    if (auto *status = dynamic_cast<LiveStatus *>(object))
        return new LiveStatusAccessible(status);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(factory);
    installed = true;
}

namespace a11y {

void setDisplay(Label &label, const QString &name, int maximum)
{
    Hints &h = hints(label);
    h.displayName = name;
    h.maximum = maximum;
    h.told = label.Caption();
}

void setSpoken(Label &label, std::function<QString(const QString &)> words)
{
    hints(label).spoken = std::move(words);
}

void leaveOut(Control &control)
{
    hints(control).leftOut = true;
}

void setUnavailable(Control &control, bool unavailable)
{
    Hints &h = hints(control);
    if (h.unavailable == unavailable)
        return;
    h.unavailable = unavailable;
    if (!listened())
        return;
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent event(&control, changed);
    tell(event);
}

void setCheckBox(Control &control, std::function<bool()> checked)
{
    hints(control).checked = std::move(checked);
}

void checkedChanged(Control &control)
{
    if (!listened())
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(&control, changed);
    tell(event);
}

void numberPictures(QList<Image *> pictures)
{
    std::stable_sort(pictures.begin(), pictures.end(), [](const Image *a, const Image *b) {
        return std::pair(a->Top(), a->Left()) < std::pair(b->Top(), b->Left());
    });
    for (qsizetype i = 0; i < pictures.size(); ++i)
        pictures[i]->setAccessibleName(QStringLiteral("Image %1 sur %2").arg(i + 1).arg(pictures.size()));
}

void announce(Form &screen, const QString &text)
{
    auto *status = childOf<LiveStatus>(&screen);
    if (!status)
        status = new LiveStatus(&screen);
    status->message = text;
    tell(status, QAccessible::NameChanged);
    // Screen readers read a notification out when it shows, even when it was showing already.
    tell(status, QAccessible::ObjectShow);
}

void captionChanged(Label &label)
{
    if (!listened())
        return;
    if (const Hints *h = hintsOf(&label); h && h->leftOut)
        return;
    if (isDisplay(&label))
        tellDisplay(label, hints(label));
    else if (label.accessibleName().isEmpty())
        tell(&label, QAccessible::NameChanged);
}

void setObserver(std::function<void(QAccessibleEvent *)> watcher)
{
    observer() = std::move(watcher);
}

} // namespace a11y
} // namespace forms
