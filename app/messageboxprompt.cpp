#include "messageboxprompt.h"

#include <QAbstractButton>
#include <QMessageBox>

MessageBoxPrompt::MessageBoxPrompt(QWidget *parent) : m_parent(parent) {}

namespace {
QMessageBox::Icon boxIcon(UserPrompt::Icon icon)
{
    switch (icon) {
    case UserPrompt::Icon::Information: return QMessageBox::Information;
    case UserPrompt::Icon::Warning:
    case UserPrompt::Icon::Exclamation: return QMessageBox::Warning;
    case UserPrompt::Icon::Critical: return QMessageBox::Critical;
    case UserPrompt::Icon::Question: return QMessageBox::Question;
    case UserPrompt::Icon::NoIcon: return QMessageBox::NoIcon;
    }
    return QMessageBox::Information;
}

void setButtonText(QMessageBox &box, QMessageBox::StandardButton which, const QString &text)
{
    if (QAbstractButton *button = box.button(which); button && !text.isEmpty())
        button->setText(text);
}
} // namespace

int MessageBoxPrompt::exec(const Message &message, QMessageBox::StandardButtons buttons,
                           QMessageBox::StandardButton escape)
{
    QMessageBox box(boxIcon(message.icon), message.title, message.text, buttons, m_parent);
    box.setObjectName(QStringLiteral("promptBox"));
    box.setEscapeButton(escape);
    box.setDetailedText(message.details);
    setButtonText(box, QMessageBox::Yes, message.yesText);
    setButtonText(box, QMessageBox::No, message.noText);
    return box.exec();
}

bool MessageBoxPrompt::show(const Message &message)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (message.buttons) {
    case Buttons::Ok: break;
    case Buttons::OkCancel:
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case Buttons::YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        escape = QMessageBox::No;
        break;
    }
    const int answer = exec(message, buttons, escape);
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}

UserPrompt::Answer MessageBoxPrompt::choose(const Message &message)
{
    switch (exec(message, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                 QMessageBox::Cancel)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}
