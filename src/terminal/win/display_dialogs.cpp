// The colour dialog "COLOR" and the font dialog "FONTDLG".
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "terminal/display_layout.h"
#include "terminal/win/terminal_view.h"

namespace palvex {
namespace {

// Escape arrives as IDCANCEL and Enter, without a default button, as IDOK.
bool IsOk(int id) { return id == dlg::kOk || id == IDOK; }
bool IsCancel(int id) { return id == dlg::kCancel || id == IDCANCEL; }

INT_PTR RunDialog(const char* name, HWND owner, DLGPROC proc, LPARAM param) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), name, owner, proc, param);
}

template <typename T>
T* StateOf(HWND dialog) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// Both dialogs belong to the terminal display's help topic.
constexpr DWORD kHelpContext = 240;

// --- Colour dialog ------------------------------------------------------------

constexpr int kEntryBackground = 0;
constexpr int kEntryText = 1;

struct ColourDialog {
    TerminalView* view = nullptr;
    DisplayColours start;
    Colour pair[2] = {};          // working background and text
    int entry = kEntryBackground;
    bool defaultChosen = false;   // "Default" was the last change
};

int SwatchIndex(int id) {
    const int k = id - dlg::kColorSwatchFirst;
    return k >= 0 && k < dlg::kColorSwatchCount ? k : -1;
}

void ShowEntry(HWND dialog, ColourDialog& d) {
    const Colour c = d.pair[d.entry];
    const int parts[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
    const int bars[3] = {dlg::kColorRedBar, dlg::kColorGreenBar, dlg::kColorBlueBar};
    const int values[3] = {dlg::kColorRedValue, dlg::kColorGreenValue, dlg::kColorBlueValue};
    for (int i = 0; i < 3; ++i) {
        SetScrollPos(GetDlgItem(dialog, bars[i]), SB_CTL, parts[i], TRUE);
        SetDlgItemInt(dialog, values[i], static_cast<UINT>(parts[i]), FALSE);
    }
    InvalidateRect(GetDlgItem(dialog, dlg::kColorPreview), nullptr, TRUE);
}

void ChangeEntry(HWND dialog, ColourDialog& d, Colour c) {
    d.pair[d.entry] = c | kPaletteRelative;
    d.defaultChosen = false;
    ShowEntry(dialog, d);
}

void InitColourDialog(HWND dialog, ColourDialog& d) {
    HWND list = GetDlgItem(dialog, dlg::kColorItemList);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Background"));
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Window Text"));
    SendMessageA(list, LB_SETCURSEL, kEntryBackground, 0);
    for (int bar : {dlg::kColorRedBar, dlg::kColorGreenBar, dlg::kColorBlueBar})
        SetScrollRange(GetDlgItem(dialog, bar), SB_CTL, 0, 255, FALSE);
    const CellColours base = BaseColours(d.start);
    d.pair[kEntryBackground] = base.background;
    d.pair[kEntryText] = base.text;
    ShowEntry(dialog, d);
}

void ComponentScrolled(HWND dialog, ColourDialog& d, HWND bar, int code, int thumb) {
    int which;
    switch (GetDlgCtrlID(bar)) {
    case dlg::kColorRedBar: which = 0; break;
    case dlg::kColorGreenBar: which = 1; break;
    case dlg::kColorBlueBar: which = 2; break;
    default: return;
    }
    const Colour c = d.pair[d.entry];
    int parts[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
    switch (code) {
    case SB_LINELEFT: --parts[which]; break;
    case SB_LINERIGHT: ++parts[which]; break;
    case SB_THUMBPOSITION: parts[which] = thumb; break;
    default: return;
    }
    parts[which] = std::clamp(parts[which], 0, 255);
    ChangeEntry(dialog, d, MakeColour(parts[0], parts[1], parts[2]));
}

void DrawColourItem(const ColourDialog& d, const DRAWITEMSTRUCT& item) {
    Colour fill;
    if (item.CtlID == static_cast<UINT>(dlg::kColorPreview)) {
        fill = d.pair[kEntryBackground];
    } else if (const int k = SwatchIndex(static_cast<int>(item.CtlID)); k >= 0) {
        fill = kColourTable[k];
    } else {
        return;
    }
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(item.hDC, &item.rcItem, brush);
    DeleteObject(brush);
    if (item.CtlID == static_cast<UINT>(dlg::kColorPreview)) {
        RECT r = item.rcItem;
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, d.pair[kEntryText]);
        DrawTextA(item.hDC, "Sample text", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        FrameRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
}

void CloseColourDialog(HWND dialog, ColourDialog& d, bool ok) {
    TerminalView& view = *d.view;
    if (ok) {
        DisplayColours chosen;
        chosen.useDefaultColours = d.defaultChosen ? 1 : 0;
        chosen.userBackground = d.pair[kEntryBackground];
        chosen.userText = d.pair[kEntryText];
        StoreColours(*view.service, chosen);
        ApplyColours(view);
        PaintNow(view, 0);
    } else if (view.dc) {
        const CellColours base = BaseColours(d.start);
        SetTextColor(view.dc, base.text);
        SetBkColor(view.dc, base.background);
        view.dcColours = base;
    }
    EndDialog(dialog, ok ? IDOK : IDCANCEL);
}

// --- Font dialog ----------------------------------------------------------------

struct FontDialog {
    FontChoice* choice = nullptr;
    int dpi = 96;
    HFONT sample = nullptr;
};

int CALLBACK CollectFixedFamily(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD type, LPARAM param) {
    // A set TMPF_FIXED_PITCH bit means variable pitch (the name is historical).
    if (tm->tmPitchAndFamily & TMPF_FIXED_PITCH) return 1;
    if (lf->lfFaceName[0] == '@') return 1;  // vertical variants
    HWND list = reinterpret_cast<HWND>(param);
    if (SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(lf->lfFaceName)) != LB_ERR)
        return 1;
    const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lf->lfFaceName));
    if (at >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(type));
    return 1;
}

struct RasterSizes {
    std::vector<int> points;
    int dpi;
};

int CALLBACK CollectRasterSize(const LOGFONTA*, const TEXTMETRICA* tm, DWORD, LPARAM param) {
    auto* sizes = reinterpret_cast<RasterSizes*>(param);
    AddSize(sizes->points, RasterPointSize(tm->tmHeight, tm->tmInternalLeading, sizes->dpi));
    return 1;
}

std::string SelectedFace(HWND dialog) {
    HWND list = GetDlgItem(dialog, dlg::kFontFaceList);
    const LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (at < 0 || SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(at), 0) >= LF_FACESIZE) return {};
    char text[LF_FACESIZE] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
    return text;
}

int SelectedPoints(HWND dialog) {
    HWND sizes = GetDlgItem(dialog, dlg::kFontSizeList);
    const LRESULT at = SendMessageA(sizes, LB_GETCURSEL, 0, 0);
    if (at < 0) return 0;
    return static_cast<int>(SendMessageA(sizes, LB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

std::string SelectedCharset(HWND dialog) {
    HWND combo = GetDlgItem(dialog, dlg::kFontCharsetCombo);
    char text[32] = {};
    const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (at >= 0 && SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0) < static_cast<LRESULT>(sizeof text))
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
    else
        GetWindowTextA(combo, text, sizeof text);  // a name typed into a drop-down
    return text;
}

// The record the dialog shows now, built on the one it was opened with.
LogFont CurrentChoice(HWND dialog, const FontDialog& d) {
    LogFont f = d.choice->font;
    const std::string face = SelectedFace(dialog);
    if (!face.empty()) {
        std::memset(f.lfFaceName, 0, sizeof f.lfFaceName);
        std::memcpy(f.lfFaceName, face.data(), std::min(face.size(), sizeof f.lfFaceName - 1));
    }
    if (const int points = SelectedPoints(dialog); points > 0) {
        f.lfHeight = HeightForPoints(points, d.dpi);
        f.lfWidth = 0;
    }
    f.lfCharSet = static_cast<uint8_t>(CharsetValue(SelectedCharset(dialog)));
    f.lfPitchAndFamily = static_cast<uint8_t>((f.lfPitchAndFamily & 0xF0) | FIXED_PITCH);
    return f;
}

void ShowSample(HWND dialog, FontDialog& d) {
    const LogFont f = CurrentChoice(dialog, d);
    LOGFONTA lf;
    std::memcpy(&lf, &f, sizeof lf);
    HFONT font = CreateFontIndirectA(&lf);
    SendDlgItemMessageA(dialog, dlg::kFontSample, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (d.sample) DeleteObject(d.sample);
    d.sample = font;
}

void FillSizes(HWND dialog, FontDialog& d) {
    HWND faces = GetDlgItem(dialog, dlg::kFontFaceList);
    HWND sizes = GetDlgItem(dialog, dlg::kFontSizeList);
    const int keep = SelectedPoints(dialog) > 0 ? SelectedPoints(dialog)
                                                : PointsForHeight(d.choice->font.lfHeight, d.dpi);
    SendMessageA(sizes, LB_RESETCONTENT, 0, 0);

    std::vector<int> points;
    const LRESULT at = SendMessageA(faces, LB_GETCURSEL, 0, 0);
    const auto type = at >= 0 ? static_cast<DWORD>(SendMessageA(faces, LB_GETITEMDATA, static_cast<WPARAM>(at), 0)) : 0;
    if (type & RASTER_FONTTYPE) {
        RasterSizes found{{}, d.dpi};
        LOGFONTA lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        const std::string face = SelectedFace(dialog);
        std::memcpy(lf.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
        HDC screen = GetDC(nullptr);
        EnumFontFamiliesExA(screen, &lf, reinterpret_cast<FONTENUMPROCA>(CollectRasterSize),
                            reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
        points = found.points;
    } else {
        points.assign(std::begin(kScalableSizes), std::end(kScalableSizes));
    }
    LRESULT select = 0;
    for (int p : points) {
        const std::string label = SizeLabel(p);
        const LRESULT i = SendMessageA(sizes, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
        SendMessageA(sizes, LB_SETITEMDATA, static_cast<WPARAM>(i), p);
        if (p == keep) select = i;
    }
    SendMessageA(sizes, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void InitFontDialog(HWND dialog, FontDialog& d) {
    HWND faces = GetDlgItem(dialog, dlg::kFontFaceList);
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &all, reinterpret_cast<FONTENUMPROCA>(CollectFixedFamily),
                        reinterpret_cast<LPARAM>(faces), 0);
    ReleaseDC(nullptr, screen);
    const LRESULT at = SendMessageA(faces, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(d.choice->font.lfFaceName));
    SendMessageA(faces, LB_SETCURSEL, static_cast<WPARAM>(at == LB_ERR ? 0 : at), 0);
    FillSizes(dialog, d);

    HWND charsets = GetDlgItem(dialog, dlg::kFontCharsetCombo);
    for (const CharsetName& c : kCharsets)
        SendMessageA(charsets, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name));
    // A value outside the list is shown as "Unknown", which a drop-down list
    // can only show as one of its entries.
    const char* label = CharsetLabel(d.choice->font.lfCharSet);
    LRESULT shown = SendMessageA(charsets, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(label));
    if (shown == CB_ERR) shown = SendMessageA(charsets, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
    SendMessageA(charsets, CB_SETCURSEL, static_cast<WPARAM>(shown), 0);
    ShowSample(dialog, d);
}

}  // namespace

INT_PTR CALLBACK ColorDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ColourDialog* d = StateOf<ColourDialog>(dialog);
    switch (message) {
    case WM_INITDIALOG: {
        auto* view = reinterpret_cast<TerminalView*>(lParam);
        d = new ColourDialog;
        d->view = view;
        d->start = ColoursOf(*view->service);
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
        InitColourDialog(dialog, *d);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (!d) break;
        DrawColourItem(*d, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_HSCROLL:
        if (d) ComponentScrolled(dialog, *d, reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_COMMAND: {
        if (!d) break;
        const int id = LOWORD(wParam);
        const int note = HIWORD(wParam);
        if (id == dlg::kColorItemList) {
            if (note != LBN_SELCHANGE) return TRUE;
            const LRESULT at = SendDlgItemMessageA(dialog, dlg::kColorItemList, LB_GETCURSEL, 0, 0);
            if (at == kEntryBackground || at == kEntryText) d->entry = static_cast<int>(at);
            ShowEntry(dialog, *d);
            return TRUE;
        }
        if (const int k = SwatchIndex(id); k >= 0) {
            if (note == STN_CLICKED) ChangeEntry(dialog, *d, kColourTable[k]);
            return TRUE;
        }
        if (id == dlg::kColorDefault) {
            d->pair[kEntryBackground] = kDefaultBackground;
            d->pair[kEntryText] = kDefaultText;
            d->defaultChosen = true;
            ShowEntry(dialog, *d);
            return TRUE;
        }
        if (IsOk(id) || IsCancel(id)) {
            CloseColourDialog(dialog, *d, IsOk(id));
            return TRUE;
        }
        if (id == dlg::kHelp) {
            WinHelpA(dialog, d->view->helpFile.c_str(), HELP_CONTEXT, kHelpContext);
            return TRUE;
        }
        break;
    }
    case WM_DESTROY:
        delete d;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK FontDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    FontDialog* d = StateOf<FontDialog>(dialog);
    switch (message) {
    case WM_INITDIALOG:
        d = new FontDialog;
        d->choice = reinterpret_cast<FontChoice*>(lParam);
        d->dpi = ScreenDpi();
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
        InitFontDialog(dialog, *d);
        return TRUE;
    case WM_COMMAND: {
        if (!d) break;
        const int id = LOWORD(wParam);
        const int note = HIWORD(wParam);
        if (id == dlg::kFontFaceList && note == LBN_SELCHANGE) {
            FillSizes(dialog, *d);
            ShowSample(dialog, *d);
            return TRUE;
        }
        if ((id == dlg::kFontSizeList && note == LBN_SELCHANGE) ||
            (id == dlg::kFontCharsetCombo && (note == CBN_SELCHANGE || note == CBN_EDITCHANGE))) {
            ShowSample(dialog, *d);
            return TRUE;
        }
        if (IsOk(id)) {
            d->choice->font = CurrentChoice(dialog, *d);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (IsCancel(id)) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        if (id == dlg::kHelp) {
            WinHelpA(dialog, d->choice->view->helpFile.c_str(), HELP_CONTEXT, kHelpContext);
            return TRUE;
        }
        break;
    }
    case WM_DESTROY:
        if (d && d->sample) DeleteObject(d->sample);
        delete d;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        break;
    default:
        break;
    }
    return FALSE;
}

int OnColorCommand(TerminalView& view, HWND owner) {
    if (!view.service) return IDCANCEL;
    return static_cast<int>(RunDialog("COLOR", owner, ColorDlgFunc, reinterpret_cast<LPARAM>(&view)));
}

bool ChooseTerminalFont(TerminalView& view, HWND owner, LogFont& font) {
    FontChoice choice{&view, NamesAFont(font) ? font : view.fontRecord};
    if (RunDialog("FONTDLG", owner, FontDlgFunc, reinterpret_cast<LPARAM>(&choice)) != IDOK) return false;
    font = choice.font;
    return true;
}

int OnFontsCommand(TerminalView& view, HWND owner) {
    if (!view.service) return IDCANCEL;
    LogFont font = view.service->TerminalFont;
    if (!ChooseTerminalFont(view, owner, font)) return IDCANCEL;
    view.service->TerminalFont = font;
    SetupFont(view);
    PaintNow(view, 0);
    return IDOK;
}

}  // namespace palvex
