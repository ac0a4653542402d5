#pragma once

#include "timelinemodel.h"

#include <QObject>
#include <array>

class QLabel;
class QWidget;

// The seven time labels under the strip (the selection grid and the play
// time), placed on the main window at their design positions and kept in
// step with the model.
class TimeLabels : public QObject
{
    Q_OBJECT
public:
    // fontScale: the screen's kx, applied once to the designed point sizes.
    TimeLabels(TimelineModel &model, QWidget *window, double fontScale = 1.0);

    QLabel *label(TimelineModel::Label label) const { return m_labels[static_cast<int>(label)]; }
    // The design position of a label on the main window, in pixels.
    static QRect designGeometry(TimelineModel::Label label);

private:
    std::array<QLabel *, TimelineModel::LabelCount> m_labels{};
};
