// Centring arithmetic: integer halves truncated toward zero, the desktop origin not added.
#include "layout.h"

Placement CentredPlacement(int deskWidth, int deskHeight, int w, int h, int verticalOffset)
{
    Placement p;
    p.x = deskWidth / 2 - w / 2;
    p.y = deskHeight / 2 - h / 2 + verticalOffset;
    if (p.x < 0)
        p.x = 0;
    if (p.y < 0)
        p.y = 0;
    p.width = w;
    p.height = h;
    return p;
}
