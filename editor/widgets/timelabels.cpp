#include "timelabels.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolTip>
#include <QWidget>

#include <algorithm>

namespace {

constexpr double GridPoints = 8.25;
// Below this a fraction would no longer read well; the label then widens.
constexpr double SmallestPoints = 6.5;

QFont tahoma(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    font.setPointSizeF(points);
    return font;
}

} // namespace

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
        auto *label = new QLabel(window);
        label->setObjectName(TimelineModel::objectName(which));
        label->setFont(tahoma(which == TimelineModel::Label::lblTime ? 14.25 : GridPoints));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(11, 77, 109));
        label->setPalette(palette);
        m_labels[i] = label;
        show(which, model.text(which));
    }
    for (auto which : {TimelineModel::Label::lblSelBegin, TimelineModel::Label::lblSelEnd})
        label(which)->installEventFilter(this);
    connect(&model, &TimelineModel::labelChanged, this, &TimeLabels::show);
}

void TimeLabels::show(TimelineModel::Label which, const QString &text)
{
    QLabel *target = label(which);
    const bool grid = which != TimelineModel::Label::lblTime;
    // Tahoma fits "00:00:00" in the designed width; a wider stand-in font
    // gets the room it needs rather than a clipped time.
    QFont font = tahoma(grid ? GridPoints : 14.25);
    QRect geometry = designGeometry(which);
    const int room = std::max(geometry.width(), QFontMetrics(font).horizontalAdvance(QStringLiteral("00:00:00")) + 2);
    if (grid) {
        // A fraction is set smaller until it fits its column.
        const int column = std::max(room, int(ColumnWidth));
        while (font.pointSizeF() > SmallestPoints && QFontMetrics(font).horizontalAdvance(text) + 2 > column)
            font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    const QFontMetrics metrics(font);
    geometry.setWidth(std::max(room, metrics.horizontalAdvance(text) + 2));
    geometry.setHeight(std::max(geometry.height(), QFontMetrics(tahoma(grid ? GridPoints : 14.25)).height()));
    target->setFont(font);
    target->setGeometry(geometry);
    target->setText(text);
}

bool TimeLabels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        openEditor(watched == label(TimelineModel::Label::lblSelEnd) ? TimelineModel::Label::lblSelEnd
                                                                       : TimelineModel::Label::lblSelBegin);
        return true;
    }
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Escape) {
                closeEditor();
                return true;
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                commit();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            closeEditor();
        }
    }
    return QObject::eventFilter(watched, event);
}

void TimeLabels::openEditor(TimelineModel::Label which)
{
    closeEditor();
    QLabel *over = label(which);
    m_editing = which;
    m_editor = new QLineEdit(over->text(), over->parentWidget());
    m_editor->setObjectName(QStringLiteral("txtTypedTime"));
    m_editor->setAccessibleName(over->objectName());
    m_editor->setFont(tahoma(GridPoints));
    m_editor->setFrame(false);
    m_editor->setTextMargins(0, 0, 0, 0);
    const QRect place = designGeometry(which);
    m_editor->setGeometry(place.x() - 1, place.y() - 2, ColumnWidth,
                          std::max(place.height() + 4, m_editor->sizeHint().height()));
    m_editor->installEventFilter(this);
    m_editor->selectAll();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void TimeLabels::closeEditor()
{
    if (!m_editor || m_closing)
        return;
    m_closing = true;
    QLineEdit *editor = m_editor;
    m_editor = nullptr;
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    QToolTip::hideText();
    m_closing = false;
}

void TimeLabels::commit()
{
    if (!m_editor)
        return;
    const QString refusal = m_handler ? m_handler(m_editing, m_editor->text()) : QString();
    if (refusal.isEmpty()) {
        closeEditor();
        return;
    }
    // Refused: nothing changed; the field stays for a correction.
    m_editor->selectAll();
    QToolTip::showText(m_editor->mapToGlobal(QPoint(0, m_editor->height())), refusal, m_editor);
}
