#include "timelabels.h"

#include "looks.h"
#include "timerow.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolTip>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr double GridPoints = 8.25;
// Below this a time would no longer read well; the label then widens.
constexpr double SmallestPoints = 6.5;

} // namespace

QFont TimeLabels::gridFont(double fontScale)
{
    // A condensed face stands in for Tahoma before the wide DejaVu Sans:
    // "23:59:59.999" then fits a column near the designed size.
    QFont font = Looks::tahoma(GridPoints * fontScale);
    QStringList families = font.families();
    families.insert(1, QStringLiteral("DejaVu Sans Condensed"));
    font.setFamilies(families);
    const int column = int(std::lround(ColumnWidth * fontScale));
    const auto fits = [&font, column] {
        const QFontMetrics metrics(font);
        return TimeRow::requiredWidth([&metrics](const QString &text) {
                   return metrics.horizontalAdvance(text);
               }) + 2 <= column;
    };
    while (font.pointSizeF() > SmallestPoints * fontScale && !fits())
        font.setPointSizeF(font.pointSizeF() - 0.25 * fontScale);
    return font;
}

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

TimeLabels::TimeLabels(TimelineModel &model, QWidget *window, double fontScale) : QObject(window)
{
    for (int i = 0; i < TimelineModel::LabelCount; ++i) {
        const auto which = static_cast<TimelineModel::Label>(i);
        auto *label = new QLabel(model.text(which), window);
        label->setObjectName(TimelineModel::objectName(which));
        const bool clock = which == TimelineModel::Label::lblTime;
        const QFont font = clock ? Looks::tahoma(14.25 * fontScale) : gridFont(fontScale);
        label->setFont(font);
        // Centred under the column headings, whichever format the row has;
        // the clock in its well.
        label->setAlignment(Qt::AlignCenter);
        Looks::setTextColor(label, Looks::TextColor);
        // The cells are controls, not the window's background: a press on
        // one never starts the window's move (which would swallow the
        // double-click that opens the typed-time field).
        label->setAttribute(Qt::WA_NoMousePropagation);
        // A grid cell spans its column, room for "23:59:59.999"; the clock
        // gets the room its widest whole-second time needs, grown about its
        // designed centre so it stays inside its well.
        QRect geometry = designGeometry(which);
        const QFontMetrics metrics(font);
        const int needed = clock ? metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 2
                                 : int(std::lround(ColumnWidth * fontScale));
        if (clock && needed > geometry.width())
            geometry.translate(-(needed - geometry.width()) / 2, 0);
        geometry.setWidth(std::max(geometry.width(), needed));
        geometry.setHeight(std::max(geometry.height(), metrics.height()));
        label->setGeometry(geometry);
        m_labels[i] = label;
        m_fonts[i] = font;
        m_widths[i] = geometry.width();
    }
    for (auto which : {TimelineModel::Label::lblSelBegin, TimelineModel::Label::lblSelEnd})
        label(which)->installEventFilter(this);
    connect(&model, &TimelineModel::labelChanged, this, &TimeLabels::show);
}

void TimeLabels::show(TimelineModel::Label which, const QString &text)
{
    // Every cell of the grid keeps one size; a text that still outgrows its
    // cell (a song past 99 hours) widens it rather than being clipped.
    const int i = static_cast<int>(which);
    QLabel *target = m_labels[i];
    target->setFont(m_fonts[i]);
    target->resize(std::max(m_widths[i], QFontMetrics(m_fonts[i]).horizontalAdvance(text) + 2), target->height());
    target->setText(text);
}

void TimeLabels::rebase()
{
    for (int i = 0; i < TimelineModel::LabelCount; ++i) {
        m_fonts[i] = m_labels[i]->font();
        m_widths[i] = m_labels[i]->width();
    }
}

bool TimeLabels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        openEditor(watched == label(TimelineModel::Label::lblSelEnd) ? TimelineModel::Label::lblSelEnd
                                                                       : TimelineModel::Label::lblSelBegin);
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched != m_editor) {
        // Return or F2 on a focused cell types its time, as a double-click does.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2) {
            openEditor(watched == label(TimelineModel::Label::lblSelEnd) ? TimelineModel::Label::lblSelEnd
                                                                           : TimelineModel::Label::lblSelBegin);
            return true;
        }
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

void TimeLabels::setEditable(bool on)
{
    m_editable = on;
    if (!on)
        closeEditor();
}

void TimeLabels::openEditor(TimelineModel::Label which)
{
    closeEditor();
    if (!m_editable)
        return;
    QLabel *over = label(which);
    m_editing = which;
    m_editor = new QLineEdit(over->text(), over->parentWidget());
    m_editor->setObjectName(QStringLiteral("txtTypedTime"));
    m_editor->setAccessibleName(over->accessibleName().isEmpty() ? over->objectName() : over->accessibleName());
    m_editor->setFont(m_fonts[static_cast<int>(which)]);
    m_editor->setFrame(false);
    m_editor->setTextMargins(0, 0, 0, 0);
    m_editor->setAlignment(over->alignment());
    const QRect place = over->geometry();
    const double scale = m_fonts[static_cast<int>(which)].pointSizeF() / GridPoints;
    m_editor->setGeometry(place.x() - 1, place.y() - 2, std::max(place.width(), int(std::lround(ColumnWidth * scale))),
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
    // The keyboard goes back to the cell it came from.
    if (editor->hasFocus())
        label(m_editing)->setFocus(Qt::OtherFocusReason);
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
