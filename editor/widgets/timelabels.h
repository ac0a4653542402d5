#pragma once

#include "timelinemodel.h"

#include <QFont>
#include <QObject>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QWidget;

// The seven time labels under the strip (the selection grid and the play
// time), placed on the main window at their design positions and kept in
// step with the model. The grid has one size, chosen so that the longest
// time a song can have ("23:59:59.999") stays inside its column. Double-clicking the Sel
// row's Begin or End opens a line editor in its place: Return hands the text
// to the typed-time handler, Escape or leaving the field cancels.
class TimeLabels : public QObject
{
    Q_OBJECT
public:
    // The widest a grid text may grow: the pitch of the grid's columns, less
    // a pixel. The painted grid ends one pitch right of the Length column's
    // start, so every column has this room.
    static constexpr int ColumnWidth = 64;

    // The grid's one font: the designed size in a narrow face, or smaller
    // until the longest time a song can have fits a column (never below
    // what still reads well; a text that still does not fit widens its cell).
    static QFont gridFont(double fontScale);

    // fontScale: the screen's kx, applied once to the designed point sizes.
    TimeLabels(TimelineModel &model, QWidget *window, double fontScale = 1.0);

    QLabel *label(TimelineModel::Label label) const { return m_labels[static_cast<int>(label)]; }
    // The design position of a label on the main window, in pixels.
    static QRect designGeometry(TimelineModel::Label label);

    // Takes a typed text for lblSelBegin or lblSelEnd and returns why it was
    // refused, or nothing when it was taken.
    using TypedTimeHandler = std::function<QString(TimelineModel::Label, const QString &)>;
    void setTypedTimeHandler(TypedTimeHandler handler) { m_handler = std::move(handler); }

    // Takes the labels' present fonts and widths as their own, for a window
    // that has scaled them after construction.
    void rebase();

    // Whether a double-click opens a line editor; switching it off closes
    // the open one (typed times are a command, off while a job runs).
    void setEditable(bool on);
    bool isEditable() const { return m_editable; }

    // The open line editor, if any.
    QLineEdit *editor() const { return m_editor; }
    void openEditor(TimelineModel::Label which);
    void closeEditor();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show(TimelineModel::Label which, const QString &text);
    void commit();

    std::array<QLabel *, TimelineModel::LabelCount> m_labels{};
    std::array<QFont, TimelineModel::LabelCount> m_fonts;
    std::array<int, TimelineModel::LabelCount> m_widths{};
    TypedTimeHandler m_handler;
    QLineEdit *m_editor = nullptr;
    TimelineModel::Label m_editing = TimelineModel::Label::lblSelBegin;
    bool m_closing = false;
    bool m_editable = true;
};
