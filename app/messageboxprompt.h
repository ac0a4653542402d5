#pragma once

#include "userprompt.h"

#include <QMessageBox>
#include <QPointer>

class QWidget;

// The real message boxes: each message is a modal QMessageBox with the
// message's title, icon and buttons, over the given parent window; its
// details behind the box's details button.
class MessageBoxPrompt : public UserPrompt
{
public:
    explicit MessageBoxPrompt(QWidget *parent = nullptr);
    void setParent(QWidget *parent) { m_parent = parent; }
    bool show(const Message &message) override;
    Answer choose(const Message &message) override;

private:
    int exec(const Message &message, QMessageBox::StandardButtons buttons,
             QMessageBox::StandardButton escape);

    QPointer<QWidget> m_parent;
};
