#pragma once

#include <windows.h>

#include "common/unique_handle.h"

// An icon from LoadImage (not shared): destroyed with its owner.
struct IconTraits {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static void Close(Handle icon) { DestroyIcon(icon); }
};
using OwnedIcon = UniqueHandle<IconTraits>;

// A cursor from LoadImage (not shared): destroyed with its owner.
struct CursorTraits {
    using Handle = HCURSOR;
    static Handle Empty() { return nullptr; }
    static void Close(Handle cursor) { DestroyCursor(cursor); }
};
using OwnedCursor = UniqueHandle<CursorTraits>;
