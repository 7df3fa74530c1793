// The few system constants dorvan3d.rc needs. The resource compiler reads
// this instead of the system headers, so the script builds with nothing but
// windres. Values only; they are the documented numbers.
#pragma once

#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_CENTER 0x0800L

#define SS_LEFT 0x0000L
#define ES_LEFT 0x0000L
#define ES_AUTOHSCROLL 0x0080L
#define BS_PUSHBUTTON 0x0000L
#define BS_DEFPUSHBUTTON 0x0001L

#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif

#define SHIFTJIS_CHARSET 128

#define LANG_ENGLISH 0x09
#define LANG_JAPANESE 0x11
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_ENGLISH_US 0x01

#define VS_FF_SPECIALBUILD 0x20L
#define VOS__WINDOWS32 0x4L
#define VFT_APP 0x1L
#define VFT2_UNKNOWN 0x0L

#define RT_MANIFEST 24
#define CREATEPROCESS_MANIFEST_RESOURCE_ID 1
