// Control ids of the dialog templates in resources/palvex32.rc that the dialog
// procedures have to know. Ids that the templates share with the rest of the
// program (OK 400, Cancel 300, Help 998 and the numbered fields of each dialog)
// keep their fixed values; the others were free and are chosen here.
// tests/resources checks these numbers against the templates.
#pragma once

namespace palvex::dlg {

// Buttons most dialogs share. Escape still arrives as IDCANCEL (2) from
// IsDialogMessage, so procedures treat 2 like kCancel.
inline constexpr int kOk = 400;
inline constexpr int kCancel = 300;
inline constexpr int kHelp = 998;

// "MSGDIALOG": the result of a button is its id, so these are the MessageBox
// codes. All four exist in the template; only OK is visible until the procedure
// shows the ones the style asks for. Yes and NO sit where OK and CANCEL sit;
// a lone OK belongs in the centre (x = 85 dialog units).
inline constexpr int kMsgIcon = 100;  // SS_ICON static, set with STM_SETICON
inline constexpr int kMsgText = 101;  // the message text (SS_NOPREFIX)
inline constexpr int kMsgOk = 1;
inline constexpr int kMsgCancel = 2;
inline constexpr int kMsgYes = 6;
inline constexpr int kMsgNo = 7;
inline constexpr int kMsgOkCentreX = 85;  // dialog units

// "DEFDIR"
inline constexpr int kDirDownload = 101;
inline constexpr int kDirSession = 102;
inline constexpr int kDirCapture = 104;

// "COLOR"
inline constexpr int kColorItemList = 101;   // "Background", "Window Text"
inline constexpr int kColorRedBar = 111;
inline constexpr int kColorGreenBar = 112;
inline constexpr int kColorBlueBar = 113;
inline constexpr int kColorRedValue = 121;   // read-only number beside each bar
inline constexpr int kColorGreenValue = 122;
inline constexpr int kColorBlueValue = 123;
inline constexpr int kColorPreview = 130;    // owner-drawn static
inline constexpr int kColorSwatchFirst = 140;  // 16 owner-drawn statics with SS_NOTIFY,
inline constexpr int kColorSwatchCount = 16;   // 140 + k shows table colour k
inline constexpr int kColorDefault = 401;

// "FONTDLG"
inline constexpr int kFontFaceList = 101;
inline constexpr int kFontSizeList = 102;
inline constexpr int kFontCharsetCombo = 103;  // drop-down list
inline constexpr int kFontSample = 104;        // static; give it the chosen font with WM_SETFONT

// "ABOUT"
inline constexpr int kAboutMemory = 101;  // "%d bytes total memory"

}  // namespace palvex::dlg
