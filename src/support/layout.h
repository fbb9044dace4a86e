// Window placement arithmetic shared by the main window and the dialogs.
#ifndef TW_LAYOUT_H
#define TW_LAYOUT_H

struct Placement {
    int x, y, width, height;
};

// Centre of a desktop for a window of w x h, offset down by verticalOffset, never negative.
Placement CentredPlacement(int deskWidth, int deskHeight, int w, int h, int verticalOffset);

#endif
