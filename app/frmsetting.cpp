#include "frmsetting.h"

#include "skinart.h"
#include "skinimage.h"
#include "styledbutton.h"

#include <QComboBox>
#include <QCoreApplication>

namespace {
// The captions stored with the two buttons, listed for the translation.
[[maybe_unused]] const char *const StoredCaptions[] = {
    QT_TRANSLATE_NOOP("frmSetting", "        O K"),
    QT_TRANSLATE_NOOP("frmSetting", "        返回"),
};

// A stored value outside the list leaves the list without a selection.
void select(QComboBox *list, qint16 value)
{
    list->setCurrentIndex(value >= 0 && value < list->count() ? value : -1);
}
// A button as stored with the dialog: its property bag lives in the
// resources under the button's name.
StyledButton *storedButton(const QString &name, const ScreenScale &scale, QWidget *parent)
{
    auto *button = new StyledButton(parent);
    button->setObjectName(name);
    button->loadProperties(QStringLiteral(":/forms/%1.json").arg(name));
    button->setCaption(QCoreApplication::translate("frmSetting", button->Caption().toUtf8().constData()));
    QFont font = button->font();
    font.setPointSizeF(scale.fontPoints(font.pointSizeF()));
    button->setFont(font);
    return button;
}
} // namespace

frmSetting::frmSetting(const SetupValues &current, const ScreenScale &scale, QWidget *parent)
    : SkinnedWindow(parent), m_values(current)
{
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(tr("设置"));
    setDragStart(DragStart::OnMove);
    const QString skinName = QStringLiteral("settings");
    setSkin(SkinArt::picture(skinName, QSize(420, 252), SkinArt::Kind::Skin),
            SkinArt::shapeImage(skinName, QSize(420, 252)));

    const auto place = [&scale](QWidget *control, int left, int top, int width, int height) {
        control->setGeometry(scale.pixels(left, top, width, height));
    };

    cmbOF = new QComboBox(this);
    cmbOF->setObjectName(QStringLiteral("cmbOF"));
    cmbOF->addItems({tr("Open the folder"), tr("Do Nothing")});
    place(cmbOF, 690, 1200, 4695, 330);

    cmbRS = new QComboBox(this);
    cmbRS->setObjectName(QStringLiteral("cmbRS"));
    cmbRS->addItems({tr("Yes"), tr("No")});
    place(cmbRS, 690, 2220, 4695, 330);

    cmbLoudness = new QComboBox(this);
    cmbLoudness->setObjectName(QStringLiteral("cmbLoudness"));
    cmbLoudness->addItem(tr("响度标准化：关"), 0);
    for (int lufs : {-12, -14, -16, -18, -23})
        cmbLoudness->addItem(tr("响度标准化：%1 LUFS").arg(lufs), lufs);
    // A target set by hand in setup.ini gets an entry of its own.
    if (m_values.loudnessLufs != 0 && cmbLoudness->findData(int(m_values.loudnessLufs)) < 0)
        cmbLoudness->addItem(tr("响度标准化：%1 LUFS").arg(m_values.loudnessLufs),
                             int(m_values.loudnessLufs));
    cmbLoudness->setCurrentIndex(cmbLoudness->findData(int(m_values.loudnessLufs)));
    cmbLoudness->setToolTip(tr("保存时把铃声的响度调到所选的 LUFS，真峰值不超过 -1 dBTP；"
                               "选了它，“标准化”就不再起作用"));
    cmbLoudness->setAccessibleName(tr("响度标准化"));
    // Right-aligned in the band between the two choices: the card has no
    // free row, and the headings' words run long in English.
    place(cmbLoudness, 3000, 1560, 2385, 300);

    for (QComboBox *list : {cmbOF, cmbRS, cmbLoudness}) {
        QFont font = list->font();
        font.setPointSizeF(scale.fontPoints(font.pointSizeF()));
        list->setFont(font);
    }
    // Named by what they choose; the skin paints their captions.
    cmbOF->setAccessibleName(tr("保存铃声后"));
    cmbRS->setAccessibleName(tr("保存后播放提示音"));
    select(cmbOF, m_values.openFolderChoice);
    select(cmbRS, m_values.ringSoundChoice);

    cmdOK = storedButton(QStringLiteral("cmdOK"), scale, this);
    place(cmdOK, 960, 2880, 1905, 555);
    cmbBack = storedButton(QStringLiteral("cmbBack"), scale, this);
    place(cmbBack, 3120, 2880, 1905, 555);

    Image1 = new SkinImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setCursor(SkinArt::handCursor());
    Image1->setAccessibleName(tr("关闭"));
    cmdOK->setAccessibleName(tr("确定"));
    cmbBack->setAccessibleName(tr("返回"));
    place(Image1, 5820, 180, 225, 285);

    connect(cmdOK, &StyledButton::Click, this, &frmSetting::cmdOK_Click);
    connect(cmbBack, &StyledButton::Click, this, &QWidget::close);
    connect(Image1, &SkinImage::clicked, this, &QWidget::close);
}

void frmSetting::cmdOK_Click()
{
    SetupValues chosen = m_values;
    chosen.openFolderChoice = qint16(cmbOF->currentIndex());
    chosen.ringSoundChoice = qint16(cmbRS->currentIndex());
    chosen.loudnessLufs = qint16(cmbLoudness->currentData().toInt());
    emit accepted(chosen);
    close();
}
