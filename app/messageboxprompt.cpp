#include "messageboxprompt.h"

#include <QMessageBox>

MessageBoxPrompt::MessageBoxPrompt(QWidget *parent) : m_parent(parent) {}

bool MessageBoxPrompt::show(const Message &message)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (message.icon) {
    case Icon::Information: icon = QMessageBox::Information; break;
    case Icon::Warning:
    case Icon::Exclamation: icon = QMessageBox::Warning; break;
    case Icon::Critical: icon = QMessageBox::Critical; break;
    case Icon::Question: icon = QMessageBox::Question; break;
    case Icon::NoIcon: icon = QMessageBox::NoIcon; break;
    }
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
    QMessageBox box(icon, message.title, message.text, buttons, m_parent);
    box.setObjectName(QStringLiteral("promptBox"));
    box.setEscapeButton(escape);
    const int answer = box.exec();
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}
