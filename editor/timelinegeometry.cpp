#include "timelinegeometry.h"

#include "formattime.h"

TimelineGeometry::TimelineGeometry(int twipsPerPixelX)
    : m_twipsPerPixel(twipsPerPixelX > 0 ? twipsPerPixelX : DesignTwipsPerPixel)
{
}

int TimelineGeometry::scaled(int designTwips) const
{
    return static_cast<int>(roundSecondsHalfEven(double(designTwips) * m_twipsPerPixel / DesignTwipsPerPixel));
}

qint32 TimelineGeometry::toSeconds(qint32 T, double L) const
{
    return static_cast<qint32>(roundSecondsHalfEven(double(T) * L / stripWidth()));
}
