#pragma once
// The screen: size, resolution and the application-wide cursor.
#include "toolkit/tkdefs.h"

class TScreen {
public:
    int Width() const;
    int Height() const;
    int PixelsPerInch() const;
    // The cursor shown over the whole application; crDefault lets each control show its own.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

private:
    TCursor cursor_ = crDefault;
};

TScreen* Screen();
