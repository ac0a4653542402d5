#pragma once

#include <QCoreApplication>
#include <QString>

#include <array>

// The hover and press looks of the main window's image buttons and the hint
// line. The window forwards mouse moves, presses and releases here and shows
// whatever look each button has afterwards.
class HoverRules
{
    Q_DECLARE_TR_FUNCTIONS(HoverRules)

public:
    enum class Look { Nothing, Highlight, Pressed };

    static constexpr int ToolbarCount = 8; // index 3 is not used
    static constexpr int MenuCount = 4;
    static constexpr int CtrlCount = 7;

    static bool isToolbarIndex(int index) { return index >= 0 && index < ToolbarCount && index != 3; }
    static QString toolbarTip(int index);
    static QString ctrlTip(int index);
    static QString minTip() { return tr("最小化"); }
    static QString exitTip() { return tr("退出"); }

    void moveOverBare();
    void moveOverToolbar(int index);
    void pressToolbar(int index);
    void releaseToolbar(int index);
    void moveOverCtrl(int index);
    void pressCtrl(int index);
    void releaseCtrl(int index);
    void moveOverMenu(int index);
    void moveOverMin();
    void moveOverExit();
    void moveOverOpen();

    Look toolbar(int index) const { return m_toolbar.at(index); }
    Look menu(int index) const { return m_menu.at(index); }
    Look ctrl(int index) const { return m_ctrl.at(index); }
    Look min() const { return m_min; }
    Look exit() const { return m_exit; }
    Look open() const { return m_open; }
    QString hint() const { return m_hint; }
    bool isButtonDown() const { return m_buttonDown; }

private:
    std::array<Look, ToolbarCount> m_toolbar{};
    std::array<Look, MenuCount> m_menu{};
    std::array<Look, CtrlCount> m_ctrl{};
    Look m_min = Look::Nothing;
    Look m_exit = Look::Nothing;
    Look m_open = Look::Nothing;
    QString m_hint;
    // True from a press on a toolbar or transport button to its release (or the
    // next move over the bare window); freezes those two families' pictures.
    bool m_buttonDown = false;
};
