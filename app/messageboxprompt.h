#pragma once

#include "userprompt.h"

#include <QPointer>

class QWidget;

// The real message boxes: each message is a modal QMessageBox with the
// message's title, icon and buttons, over the given parent window.
class MessageBoxPrompt : public UserPrompt
{
public:
    explicit MessageBoxPrompt(QWidget *parent = nullptr);
    void setParent(QWidget *parent) { m_parent = parent; }
    bool show(const Message &message) override;

private:
    QPointer<QWidget> m_parent;
};
