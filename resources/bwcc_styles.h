/* Style bits of the Borland custom controls that the dialog templates use.
   bwcc32.dll interprets them; the templates only need the numbers, so this
   file is plain #defines that both windres and C++ can read. */
#ifndef PALVEX_BWCC_STYLES_H
#define PALVEX_BWCC_STYLES_H

/* BorShade: the low byte picks the kind of shape. */
#define BSS_GROUP   1L      /* recessed frame around a group of controls */
#define BSS_HDIP    2L      /* horizontal recessed line */
#define BSS_VDIP    3L      /* vertical recessed line */
#define BSS_HBUMP   4L      /* horizontal raised line */
#define BSS_VBUMP   5L      /* vertical raised line */
#define BSS_RGROUP  6L      /* raised frame */

/* BorShade with a caption: the window text is drawn over the top edge of the
   frame, aligned as below. */
#define BSS_CAPTION 0x8000L
#define BSS_LEFT    0x0000L
#define BSS_CENTER  0x0100L
#define BSS_RIGHT   0x0200L

#endif
