// Measures the cost of one paint per button style on the settings dialog's
// button size, and draws a sheet of every style in every state.
//
//   kes_buttonbench [--sheet file.png] [--rounds N]
//
// Run with QT_QPA_PLATFORM=offscreen on a machine without a display.
#include "buttonpaint.h"
#include "styledbutton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QStyleFactory>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace
{

QIcon sampleIcon()
{
    // A round green tick on transparency, like the dialog's pictures.
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(60, 160, 70));
    p.setPen(QPen(QColor(30, 100, 40), 1.5));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(10, 16.5), QPointF(14.5, 21), QPointF(22, 11)}));
    return QIcon(pm);
}

ButtonPaintInput sample(int style, VisualState state, bool focus)
{
    ButtonPaintInput in;
    in.size = QSize(127, 37);
    in.style = ButtonStyle(style);
    in.state = state;
    in.enabled = state != VisualState::Disabled;
    in.hasFocus = focus;
    in.palette = QApplication::palette();
    in.backColor = in.palette.color(QPalette::Button);
    in.highlightColor = in.palette.color(QPalette::Highlight);
    in.fontColor = in.palette.color(QPalette::ButtonText);
    in.fontHighlightColor = in.fontColor;
    in.caption = QStringLiteral("        O K");
    in.captionFormat = captionFormatFor(0, 17);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(9.75);
    in.font = StyledButton::fontWithFallbacks(font);
    in.icon = sampleIcon();
    in.iconSize = 32;
    in.iconAlign = 1;
    in.theme = QApplication::style();
    return in;
}

void writeSheet(const QString &path)
{
    const char *stateNames[] = {"Normal", "Hot", "Pressed", "Disabled", "Focused"};
    const int cellW = 127 + 16, cellH = 37 + 14, left = 40, top = 24;
    QImage sheet(left + 5 * cellW + 8, top + 16 * cellH + 8, QImage::Format_RGB32);
    sheet.fill(QApplication::palette().color(QPalette::Window));
    QPainter p(&sheet);
    p.setPen(Qt::black);
    for (int s = 0; s < 5; ++s)
        p.drawText(QRect(left + s * cellW, 4, cellW, 16), Qt::AlignCenter,
                   QString::fromLatin1(stateNames[s]));
    // Every style with the palette's colours, then the derived-tone styles
    // with custom colours (a blue face, an orange highlight).
    const int rows[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 5, 7, 8, 9};
    for (int row = 0; row < 16; ++row) {
        const int style = rows[row];
        const bool custom = row > 10;
        p.drawText(QRect(4, top + row * cellH, left - 8, 37), Qt::AlignVCenter | Qt::AlignRight,
                   QString::number(style) + (custom ? QStringLiteral("c") : QString()));
        for (int s = 0; s < 5; ++s) {
            const bool focused = s == 4;
            ButtonPaintInput in =
                sample(style, focused ? VisualState::Normal : VisualState(s + 1), focused);
            if (custom) {
                in.useCustomColors = true;
                in.showFocus = true;
                in.backColor = QColor(92, 146, 206);
                in.highlightColor = QColor(250, 170, 60);
                in.fontColor = Qt::white;
                in.fontHighlightColor = Qt::black;
            }
            QImage cell(in.size, QImage::Format_ARGB32_Premultiplied);
            {
                QPainter cp(&cell);
                paintButton(cp, in);
            }
            // Show the window shape as the screen will.
            p.save();
            p.translate(left + s * cellW, top + row * cellH);
            p.setClipRegion(buttonRegion(ButtonStyle(style), in.size));
            p.drawImage(0, 0, cell);
            p.restore();
        }
    }
    p.end();
    if (!sheet.save(path))
        qWarning("cannot write %s", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QStringList args = app.arguments();
    int rounds = 400;
    const int sheetAt = int(args.indexOf(QStringLiteral("--sheet")));
    if (sheetAt > 0 && sheetAt + 1 < args.size()) {
        writeSheet(args.at(sheetAt + 1));
    }
    const int roundsAt = int(args.indexOf(QStringLiteral("--rounds")));
    if (roundsAt > 0 && roundsAt + 1 < args.size())
        rounds = std::max(10, args.at(roundsAt + 1).toInt());

    QTextStream out(stdout);
    out << "style  median us  (Normal/Hot/Pressed/Disabled medians)\n";
    QImage target(127, 37, QImage::Format_ARGB32_Premultiplied);
    for (int style = 0; style <= 10; ++style) {
        std::vector<double> all;
        QStringList perState;
        for (int s = 1; s <= 4; ++s) {
            const ButtonPaintInput in = sample(style, VisualState(s), false);
            std::vector<double> times;
            for (int i = 0; i < rounds; ++i) {
                QElapsedTimer t;
                t.start();
                QPainter p(&target);
                paintButton(p, in);
                p.end();
                times.push_back(double(t.nsecsElapsed()) / 1000.0);
            }
            std::sort(times.begin(), times.end());
            perState << QString::number(times[times.size() / 2], 'f', 1);
            all.insert(all.end(), times.begin(), times.end());
        }
        std::sort(all.begin(), all.end());
        out << QString::number(style).rightJustified(5) << "  "
            << QString::number(all[all.size() / 2], 'f', 1).rightJustified(9) << "  ("
            << perState.join(QLatin1Char('/')) << ")\n";
    }
    return 0;
}
