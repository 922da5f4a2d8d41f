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

// Shows the hourglass for the life of a scope (a long operation), then the cursor before it.
class TWaitCursor {
public:
    TWaitCursor()
        : saved_(Screen()->Cursor())
    {
        Screen()->SetCursor(crHourGlass);
    }
    ~TWaitCursor() { Screen()->SetCursor(saved_); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    TCursor saved_;
};

enum : int { SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3 };
// Screen size and scroll bar extents in pixels.
int GetSystemMetrics(int index);
