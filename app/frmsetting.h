#pragma once

#include "screenscale.h"
#include "setupfile.h"
#include "skinnedwindow.h"

class QComboBox;
class SkinImage;
class StyledButton;

// The settings dialog: the two after-export choices and the export's
// loudness target. Confirm hands the settings on with them as chosen and closes; back and the close
// mark only close.
class frmSetting : public SkinnedWindow
{
    Q_OBJECT
public:
    frmSetting(const SetupValues &current, const ScreenScale &scale, QWidget *parent = nullptr);

    QComboBox *cmbOF = nullptr;
    QComboBox *cmbRS = nullptr;
    // The export's loudness target, beside the peak normalising ("标准化"):
    // off, or a target in LUFS (item data; 0 for off).
    QComboBox *cmbLoudness = nullptr;
    StyledButton *cmdOK = nullptr;
    StyledButton *cmbBack = nullptr;
    SkinImage *Image1 = nullptr;

    void cmdOK_Click();

signals:
    // Confirmed: the settings as they were, with the two choices as chosen.
    void accepted(const SetupValues &values);

private:
    SetupValues m_values;
};
