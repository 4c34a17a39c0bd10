// GDI as the game uses it: fonts, text metrics, gray glyph bitmaps and 16-bit DIB sections.
// Fonts come from FreeType through fontconfig; every face name maps to IPAGothic. A GDI height h
// is a FreeType pixel size of h (16: ASCII 8 pixels wide, double-byte characters 16). Glyph
// coverage is 0..16. Main thread only, like the game's text drawing.
#pragma once

#include "platform/win32/types.h"

#define LF_FACESIZE 32

#define DEFAULT_CHARSET 1
#define FW_NORMAL 400
#define FW_BOLD 700

// SetBkMode.
#define TRANSPARENT 1
#define OPAQUE 2

// GetGlyphOutlineA formats: only the 17-level gray bitmap is provided.
#define GGO_GRAY4_BITMAP 5
#define GDI_ERROR 0xFFFFFFFFu

// DIB colour use and compression.
#define DIB_RGB_COLORS 0
#define BI_RGB 0
#define BI_BITFIELDS 3

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

struct GLYPHMETRICS {
    UINT gmBlackBoxX;
    UINT gmBlackBoxY;
    POINT gmptGlyphOrigin;  // left edge and top (above the baseline) of the black box
    SHORT gmCellIncX;
    SHORT gmCellIncY;
};

// 16.16 fixed point.
struct FIXED {
    WORD fract;
    SHORT value;
};

struct MAT2 {
    FIXED eM11;
    FIXED eM12;
    FIXED eM21;
    FIXED eM22;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: rows from the top
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

// The colour table (or the three BI_BITFIELDS masks) follows the header at biSize bytes; callers
// allocate as many entries as they need.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// Fonts. Null when no font file answers; a face name is read up to its NUL or the 32nd byte.
HFONT CreateFontIndirectA(const LOGFONTA* font);
// Fonts and bitmaps. FALSE for an unknown handle or an object still selected into a DC.
BOOL DeleteObject(HGDIOBJ object);

// Memory DCs; the reference DC is not needed. A new DC holds no bitmap and no font of ours.
HDC CreateCompatibleDC(HDC reference);
BOOL DeleteDC(HDC dc);
// Selects a font or a bitmap and returns the object it replaces; null for a bad handle.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Returns the previous mode, 0 for a bad DC or mode. Glyphs are always drawn without background.
int SetBkMode(HDC dc, int mode);

// 16 or 32 bits a pixel, BI_RGB (16 bits: 5-5-5) or BI_BITFIELDS; zero-filled bits whose rows
// are 4-byte aligned. The section parameters must be null and 0.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);

// Metrics of the DC's font. FALSE without a font.
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);

// GGO_GRAY4_BITMAP only, with the identity matrix. A code above 0xFF is a double-byte CP932
// character (lead byte in the high byte). The bitmap has one byte a pixel (0..16) and rows
// padded to 4 bytes. With size 0 returns the bytes needed; an empty glyph needs 0. A character
// the font lacks is a blank cell: half the em for a single byte, the em for a double byte.
DWORD GetGlyphOutlineA(HDC dc, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                       const MAT2* matrix);

// Copies an 8-bit palette DIB (colour table in RGBQUADs) into the DC's bitmap, clipped to it.
// Returns the number of scan lines copied, 0 on failure.
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT colorUse);
