#include "timelabels.h"

#include "looks.h"

#include <QFontMetrics>
#include <QLabel>
#include <QWidget>

#include <algorithm>

QRect TimeLabels::designGeometry(TimelineModel::Label label)
{
    using Label = TimelineModel::Label;
    // Twips at 15 per pixel: grid labels 660 x 195, the play time 1125 x 345.
    switch (label) {
    case Label::lblTime: return {301, 490, 75, 23};
    case Label::lblSelBegin: return {442, 490, 44, 13};
    case Label::lblSelEnd: return {507, 490, 44, 13};
    case Label::lblSelLength: return {572, 490, 44, 13};
    case Label::lblViewBegin: return {442, 514, 44, 13};
    case Label::lblViewEnd: return {507, 514, 44, 13};
    case Label::lblViewLength: return {572, 514, 44, 13};
    }
    return {};
}

TimeLabels::TimeLabels(TimelineModel &model, QWidget *window) : QObject(window)
{
    for (int i = 0; i < TimelineModel::LabelCount; ++i) {
        const auto which = static_cast<TimelineModel::Label>(i);
        auto *label = new QLabel(model.text(which), window);
        label->setObjectName(TimelineModel::objectName(which));
        const QFont font = Looks::tahoma(which == TimelineModel::Label::lblTime ? 14.25 : 8.25);
        label->setFont(font);
        Looks::setTextColor(label, Looks::TextColor);
        // Tahoma fits "00:00:00" in the designed width; a wider stand-in font
        // gets the room it needs rather than a clipped time.
        QRect geometry = designGeometry(which);
        const QFontMetrics metrics(font);
        geometry.setWidth(std::max(geometry.width(), metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 2));
        geometry.setHeight(std::max(geometry.height(), metrics.height()));
        label->setGeometry(geometry);
        m_labels[i] = label;
    }
    connect(&model, &TimelineModel::labelChanged, this,
            [this](TimelineModel::Label which, const QString &text) { label(which)->setText(text); });
}
