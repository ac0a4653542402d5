#include "hoverrules.h"

QString HoverRules::toolbarTip(int index)
{
    switch (index) {
    case 0: return tr("打开媒体文件");
    case 1: return tr("保存铃声");
    case 2: return tr("任意剪切铃声");
    case 4: return tr("发送铃声给你的朋友");
    case 5: return tr("设置");
    case 6: return tr("帮助");
    case 7: return tr("退出");
    default: return {};
    }
}

QString HoverRules::ctrlTip(int index)
{
    switch (index) {
    case 0: return tr("播放");
    case 1: return tr("停止");
    case 2: return tr("暂停");
    case 3: return tr("选择开始位置");
    case 4: return tr("选择结束位置");
    case 5: return tr("播放所选区域");
    case 6: return tr("保存铃声");
    default: return {};
    }
}

void HoverRules::moveOverBare()
{
    m_exit = m_min = m_open = Look::Nothing;
    m_toolbar.fill(Look::Nothing);
    m_menu.fill(Look::Nothing);
    m_ctrl.fill(Look::Nothing);
    m_hint.clear();
    m_buttonDown = false;
}

void HoverRules::moveOverToolbar(int index)
{
    if (!isToolbarIndex(index))
        return;
    if (!m_buttonDown) {
        m_toolbar.fill(Look::Nothing);
        m_toolbar[index] = Look::Highlight;
    }
    m_hint = toolbarTip(index);
}

void HoverRules::pressToolbar(int index)
{
    if (!isToolbarIndex(index))
        return;
    // The bare skin beneath is the pressed look.
    m_toolbar[index] = Look::Nothing;
    m_buttonDown = true;
}

void HoverRules::releaseToolbar(int)
{
    m_buttonDown = false;
}

void HoverRules::moveOverCtrl(int index)
{
    if (index < 0 || index >= CtrlCount)
        return;
    if (!m_buttonDown) {
        m_ctrl.fill(Look::Nothing);
        m_ctrl[index] = Look::Highlight;
    }
    m_hint = ctrlTip(index);
}

void HoverRules::pressCtrl(int index)
{
    if (index < 0 || index >= CtrlCount)
        return;
    m_ctrl[index] = Look::Pressed;
    m_buttonDown = true;
}

void HoverRules::releaseCtrl(int)
{
    // The pressed picture stays until a move changes it.
    m_buttonDown = false;
}

void HoverRules::moveOverMenu(int index)
{
    if (index < 0 || index >= MenuCount)
        return;
    m_menu.fill(Look::Nothing);
    m_menu[index] = Look::Highlight;
}

void HoverRules::moveOverMin()
{
    m_min = Look::Highlight;
    m_exit = Look::Nothing;
    m_hint = minTip();
}

void HoverRules::moveOverExit()
{
    m_exit = Look::Highlight;
    m_min = Look::Nothing;
}

void HoverRules::moveOverOpen()
{
    m_open = Look::Highlight;
}
