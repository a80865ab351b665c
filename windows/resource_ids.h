#pragma once
// Resources embedded in ToviraWatch.exe by resources.rc. Plain macros: windres reads
// this header too.

#define TOVIRA_ICON 1

// 24-bit bitmaps of the artwork, at 1x and at 2x for screens of twice the density.
#define TOVIRA_DIAL_FACE_BITMAP 101
#define TOVIRA_DIAL_FACE_2X_BITMAP 102
#define TOVIRA_DIGITS_BITMAP 103
#define TOVIRA_DIGITS_2X_BITMAP 104

// The tick sound as shipped (resources/sounds/tick.wav), as RCDATA.
#define TOVIRA_TICK_SOUND 201
