// Checks the setup's resources as linked into this executable: dialogs, strings, icon, bitmaps.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "testutil.h"
#include "twversion.h"

namespace {

const WORD kLang = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

std::string Hex(DWORD value) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// Locates a resource in language 1033 and returns its bytes.
const BYTE* ResourceBytes(LPCSTR type, LPCSTR name, DWORD* size = nullptr) {
    HRSRC found = FindResourceExA(Module(), type, name, kLang);
    if (!found) return nullptr;
    if (size) *size = SizeofResource(Module(), found);
    HGLOBAL loaded = LoadResource(Module(), found);
    return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

// ---------------------------------------------------------------- dialogs

struct Item {
    int id;
    const char* cls;
    const char* text;
    DWORD style;
    short x, y, cx, cy;
};

struct Dialog {
    const char* name;
    DWORD style;
    short x, y, cx, cy;
    const char* caption;
    std::vector<Item> items;
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kDirList = kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT |
                       LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
                       LBS_DISABLENOSCROLL;
const DWORD kDrives = kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST |
                      CBS_OWNERDRAWFIXED | CBS_AUTOHSCROLL | CBS_SORT | CBS_HASSTRINGS;
const DWORD kSelector = WS_CHILD | WS_BORDER | ES_READONLY | ES_LOWERCASE | ES_AUTOHSCROLL;
const Item kFileList = {1120, "LISTBOX", "", kChild | WS_BORDER | LBS_NOTIFY | LBS_EXTENDEDSEL,
                        -100, -100, 10, 10};
const Item kReadOnly = {1040, "BUTTON", "", kChild | BS_AUTOCHECKBOX, -100, -100, 10, 10};
const Item kTypeLabel = {1089, "STATIC", "", kChild | WS_GROUP | SS_LEFT, -100, -100, 10, 10};
const Item kTypes = {1136, "COMBOBOX", "",
                     kChild | WS_BORDER | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL,
                     -100, -100, 16, 10};

// The templates as the code and the platform's file dialog expect them, in template order.
const std::vector<Dialog>& Dialogs() {
    static const std::vector<Dialog> dialogs = {
        {"DLG_COPY", 0x90C800C0, 0, 0, 186, 95, "Installation",
         {{2, "BUTTON", "Cancel", 0x50010000, 74, 74, 50, 14},
          {954, "STATIC", "", 0x50020000, 7, 7, 172, 60}}},
        {"DLG_GETGROUP", 0x90C800C0, 6, 18, 227, 53, "Program Manager Group",
         {{3010, "STATIC",
           "Please enter the name of the Program Manager group for this application:",
           0x50020000, 7, 8, 155, 19},
          {1, "BUTTON", "OK", 0x50010001, 174, 13, 44, 14},
          {2, "BUTTON", "Cancel", 0x50010000, 174, 30, 44, 14},
          {2405, "COMBOBOX", "", 0x50210102, 7, 31, 153, 103}}},
        {"DLG_GETDIR", 0x90C800C0, 6, 18, 218, 62, "Locate Directory",
         {{3010, "STATIC", "Standard prompt", kChild | SS_LEFT | WS_GROUP, 4, 9, 151, 19},
          {1, "BUTTON", "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 161, 4, 44, 14},
          {2, "BUTTON", "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 161, 21, 44, 14},
          {954, "EDIT", "", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 4, 41, 151, 12},
          {2416, "BUTTON", "&Browse", kChild | BS_PUSHBUTTON | WS_TABSTOP, 161, 40, 44, 14}}},
        {"DLG_BROWSE", WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 46, 21, 188, 190,
         "Locate",
         {{1511, "STATIC", "Where do you want to install this program?",
           kChild | SS_LEFT | WS_GROUP, 5, 7, 177, 20},
          {1152, "EDIT", "", kSelector, 81, 4, 60, 12},
          {-1, "STATIC", "&Directories:", kChild, 5, 48, 92, 9},
          {1088, "STATIC", "", kChild, 5, 33, 162, 9},
          {1121, "LISTBOX", "", kDirList, 5, 60, 120, 95},
          {-1, "STATIC", "Dri&ves:", kChild, 5, 161, 92, 9},
          {1137, "COMBOBOX", "", kDrives, 5, 171, 120, 68},
          {1, "BUTTON", "OK", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 133, 61, 50, 14},
          {2, "BUTTON", "Cancel", kChild | WS_GROUP | WS_TABSTOP, 133, 79, 50, 14},
          {1038, "BUTTON", "&Help", kChild | WS_GROUP | WS_TABSTOP, 133, 119, 50, 14},
          kFileList, kReadOnly, kTypeLabel, kTypes}},
        {"DLG_GETSRCDIR", WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 46, 21, 175, 183,
         "Locate",
         {{-1, "STATIC", "Please help me locate the source files directory!",
           kChild | SS_LEFT | WS_GROUP, 5, 9, 167, 8},
          {1152, "EDIT", "", kSelector, 105, 3, 60, 12},
          kFileList, kReadOnly, kTypeLabel, kTypes,
          {-1, "STATIC", "&Directories:", kChild, 5, 38, 92, 9},
          {1088, "STATIC", "", kChild, 5, 23, 162, 9},
          {1121, "LISTBOX", "", kDirList, 5, 50, 107, 95},
          {-1, "STATIC", "Dri&ves:", kChild, 5, 151, 92, 9},
          {1137, "COMBOBOX", "", kDrives, 5, 161, 107, 30},
          {1, "BUTTON", "OK", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 119, 51, 50, 14},
          {2, "BUTTON", "Cancel", kChild | WS_GROUP | WS_TABSTOP, 119, 69, 50, 14},
          {1038, "BUTTON", "&Help", kChild | WS_GROUP | WS_TABSTOP, 119, 109, 50, 14}}},
        {"DLG_INSTALL", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
         0, 0, 194, 97, "Install",
         {{1, "BUTTON", "Continue", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 137, 76, 50, 14},
          {2, "BUTTON", "Exit", kChild | BS_PUSHBUTTON | WS_TABSTOP, 81, 76, 50, 14},
          {-1, "STATIC", "Installation/Removal process", kChild | SS_LEFT | WS_GROUP,
           7, 7, 180, 14},
          {1851, "BUTTON", "Install", kChild | BS_AUTORADIOBUTTON, 7, 35, 180, 10},
          {1852, "BUTTON", "Remove prior installation", kChild | BS_AUTORADIOBUTTON,
           7, 51, 180, 10}}},
    };
    return dialogs;
}

// Reads the DIALOG (not DIALOGEX) template format field by field.
struct TemplateReader {
    const BYTE* start;
    const BYTE* p;
    const BYTE* end;
    bool ok = true;

    WORD Word() {
        if (p + 2 > end) { ok = false; return 0; }
        WORD w = static_cast<WORD>(p[0] | (p[1] << 8));
        p += 2;
        return w;
    }
    DWORD Dword() { DWORD lo = Word(); return lo | (static_cast<DWORD>(Word()) << 16); }
    std::string String() {
        std::string s;
        for (WORD c; ok && (c = Word()) != 0;) s += c < 128 ? static_cast<char>(c) : '?';
        return s;
    }
    // A class, menu or title field: an ordinal (0xFFFF, n) or a string; ordinals come back
    // as the predefined class name they stand for.
    std::string NameOrOrdinal() {
        if (p + 2 <= end && p[0] == 0xFF && p[1] == 0xFF) {
            Word();
            static const char* const classes[] = {"BUTTON", "EDIT", "STATIC",
                                                  "LISTBOX", "SCROLLBAR", "COMBOBOX"};
            WORD atom = Word();
            return atom >= 0x80 && atom <= 0x85 ? classes[atom - 0x80] : "#" + std::to_string(atom);
        }
        return String();
    }
    void Align() {
        while ((p - start) % 4) ++p;
    }
};

std::vector<WPARAM> g_commands;

INT_PTR CALLBACK RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) g_commands.push_back(wParam);
    return FALSE;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class DialogTemplate : public ::testing::TestWithParam<size_t> {};

// The template bytes carry exactly the styles, geometry, texts and order the code relies on.
TEST_P(DialogTemplate, MatchesLayout) {
    const Dialog& d = Dialogs()[GetParam()];
    DWORD size = 0;
    const BYTE* bytes = ResourceBytes(RT_DIALOG, d.name, &size);
    ASSERT_NE(bytes, nullptr) << d.name << " missing in language 1033";
    TemplateReader r{bytes, bytes, bytes + size};
    ASSERT_NE(r.Dword(), 0xFFFF0001u) << d.name << " must be a plain DIALOG";
    r.p = bytes;
    EXPECT_EQ(Hex(r.Dword()), Hex(d.style));
    EXPECT_EQ(r.Dword(), 0u) << "extended style";
    WORD count = r.Word();
    EXPECT_EQ(static_cast<short>(r.Word()), d.x);
    EXPECT_EQ(static_cast<short>(r.Word()), d.y);
    EXPECT_EQ(static_cast<short>(r.Word()), d.cx);
    EXPECT_EQ(static_cast<short>(r.Word()), d.cy);
    EXPECT_EQ(r.NameOrOrdinal(), "") << "menu";
    EXPECT_EQ(r.NameOrOrdinal(), "") << "class";
    EXPECT_EQ(r.String(), d.caption);
    EXPECT_EQ(r.Word(), 8) << "font size";
    EXPECT_EQ(r.String(), "MS Sans Serif");
    ASSERT_EQ(count, d.items.size());
    for (const Item& want : d.items) {
        SCOPED_TRACE(std::string(d.name) + " control " + std::to_string(want.id) + " " + want.text);
        r.Align();
        EXPECT_EQ(Hex(r.Dword()), Hex(want.style));
        EXPECT_EQ(r.Dword(), 0u) << "extended style";
        short geometry[4];
        for (short& g : geometry) g = static_cast<short>(r.Word());
        EXPECT_EQ(geometry[0], want.x);
        EXPECT_EQ(geometry[1], want.y);
        EXPECT_EQ(geometry[2], want.cx);
        EXPECT_EQ(geometry[3], want.cy);
        EXPECT_EQ(r.Word(), static_cast<WORD>(want.id));
        EXPECT_EQ(r.NameOrOrdinal(), want.cls);
        EXPECT_EQ(r.NameOrOrdinal(), want.text);
        WORD extra = r.Word();
        r.p += extra;
    }
    EXPECT_TRUE(r.ok) << "template truncated";
}

// The platform builds every dialog from its template, with the controls the code addresses.
TEST_P(DialogTemplate, CreatesDialog) {
    const Dialog& d = Dialogs()[GetParam()];
    HWND dialog = CreateDialogParamA(Module(), d.name, nullptr, RecordingProc, 0);
    ASSERT_NE(dialog, nullptr) << d.name << " error " << GetLastError();
    char text[256];
    GetWindowTextA(dialog, text, sizeof text);
    EXPECT_STREQ(text, d.caption);
    EXPECT_EQ(IsWindowVisible(dialog) != FALSE, (d.style & WS_VISIBLE) != 0);
    for (const Item& want : d.items) {
        if (want.id == -1) continue;  // shared id of plain labels
        SCOPED_TRACE(std::string(d.name) + " control " + std::to_string(want.id));
        HWND control = GetDlgItem(dialog, want.id);
        ASSERT_NE(control, nullptr);
        GetClassNameA(control, text, sizeof text);
        EXPECT_EQ(lstrcmpiA(text, want.cls), 0) << text;
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(text, want.text);
        // Windows may add bits (3-D borders, list styles) but keeps visibility and tab order.
        DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
        const DWORD kept = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;
        EXPECT_EQ(Hex(style & kept), Hex(want.style & kept)) << Hex(style);
    }
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(All, DialogTemplate, ::testing::Range<size_t>(0, 6),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return std::string(Dialogs()[info.param].name);
                         });

// The copy loop stops on IDCANCEL, whether from the button, Escape or the close box.
TEST(ProgressDialog, CancelPathsSendIdCancel) {
    HWND dialog = CreateDialogParamA(Module(), DLG_COPY, nullptr, RecordingProc, 0);
    ASSERT_NE(dialog, nullptr);
    g_commands.clear();
    SendDlgItemMessageA(dialog, IDCANCEL, BM_CLICK, 0, 0);
    Pump();
    ASSERT_FALSE(g_commands.empty());
    EXPECT_EQ(LOWORD(g_commands.back()), IDCANCEL);

    g_commands.clear();
    MSG escape = {GetDlgItem(dialog, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageA(dialog, &escape));
    Pump();
    ASSERT_FALSE(g_commands.empty());
    EXPECT_EQ(LOWORD(g_commands.back()), IDCANCEL);

    g_commands.clear();
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    ASSERT_FALSE(g_commands.empty());
    EXPECT_EQ(LOWORD(g_commands.back()), IDCANCEL);
    EXPECT_TRUE(IsWindow(dialog)) << "Cancel must not close the dialog by itself";
    DestroyWindow(dialog);
}

// The action dialog reads 1851 before 1852, so the two must exclude each other.
TEST(ActionDialog, RadioButtonsExcludeEachOther) {
    HWND dialog = CreateDialogParamA(Module(), DLG_INSTALL, nullptr, RecordingProc, 0);
    ASSERT_NE(dialog, nullptr);
    CheckRadioButton(dialog, IDC_INSTALL_INSTALL, IDC_INSTALL_REMOVE, IDC_INSTALL_INSTALL);
    SendDlgItemMessageA(dialog, IDC_INSTALL_REMOVE, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_INSTALL_INSTALL), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_INSTALL_REMOVE), static_cast<UINT>(BST_CHECKED));
    SendDlgItemMessageA(dialog, IDC_INSTALL_INSTALL, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_INSTALL_INSTALL), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_INSTALL_REMOVE), static_cast<UINT>(BST_UNCHECKED));
    DestroyWindow(dialog);
}

// ---------------------------------------------------------------- strings

struct Message {
    UINT id;
    const char* text;
};

const Message kMessages[] = {
    {9999, "Tarnwell Install"},
    {10001, "All Files"},
    {10002, "Locate"},
    {10003, "Creation of %1!s! failed. (%2!u!)"},
    {10004, "Install"},
    {10005, "Copy of %1!s! to %2!s! failed. (%3!u!)"},
    {10010, "Removal process complete.\nAll files removed."},
    {10011, "Remove"},
    {10012,
     "Removal process complete.\nCheck the directory %1!s! for excess files\n"
     "that caused the removal process to not cleanup entirely."},
    {10013, "Insufficient information available to\nremove this application."},
    {10015,
     "Sorry, but this application currently requires\nNT 3.51 or later or Windows 95.\n"
     "You are running NT %1!u!.%2!u!."},
    {10016, "Lumbrook"},
    {10017, "SOURCE files directory"},
    {10018, "Please locate source directory!"},
    {10019, "Can't continue with no source."},
    {10020, "PROGRAM files directory"},
    {10021, "Please enter the destination directory:"},
    {10022, "Failed to create requested directory!"},
    {10023, "Can't continue without a destination directory!"},
    {10024, "DATA files directory"},
    {10026, "Failed to create requested directory!"},
    {10028, "Creating group and icons."},
    {10034, "Creating group"},
    {10035, "Some portion of installation process failed."},
    {10038, "Congratulations!"},
    {10040, "Installation successful!"},
    {10046, "Window registration failed.\nExit and restart Windows."},
    {10047, "Window creation failed.\nExit and restart Windows."},
    {10070, "File extraction to temporary directory failed."},
    {10071, "Install or update %1!s!"},
    {10072, "Remove prior installation of %1!s!"},
    {10073, "Extracting to %1!s!, %2!u! bytes"},
    {10074, "File write error on %1!s!, %2!u! != %3!u!"},
    {10075, "File creation error on %1!s!"},
    {10076, "Failed to load resource %1!s!"},
    {10077, "Failed to locate resource %1!s!"},
    {10078, "Removing %1!s!%2!s!"},
    {10079, "The file %1!s! already exists.\nOverwrite it?"},
    {10080, "Overwrite warning"},
    {10081, "Insert disk %1!u! containing %2!s!"},
    {10082, "Change disk"},
    {10083, "Copying %1!s! to %2!s!"},
    {10086, "\nRemoving installation of %1!s! from %2!s!"},
    {10088, "Removing %1!s! (%2!s!)"},
    {10089, "failed"},
    {10090, "Removing icon for %1!s!"},
    {10092, "Removing HKEY_CURRENT_USER registry entries"},
    {10093, "Removing HKEY_LOCAL_MACHINE registry entries"},
    {11622, "Failed to open destination file %1!s!"},
    {10100, "The directory is too long.\nA source directory may have at most %1!u! characters."},
    {10101, "A Program Manager group name cannot contain a double quote (\").\nPlease enter another name."},
    {10102,
     "This copy of setup.exe is damaged: the file %1!s! inside it is not as it was built.\n"
     "Nothing has been installed. Please get a fresh copy of setup.exe."},
    {10103, "The changes this installation had made were undone."},
    {10104, "Could not undo the change to %1!s! (%2!u!)"},
    {10105, "%1!s! is in use: it will be replaced when Windows restarts."},
    {10106, "The old %1!s! is in use: it will be deleted when Windows restarts."},
    {10107, "Could not arrange for %1!s! to be finished when Windows restarts (%2!u!)"},
    {10108, "in use, removed when Windows restarts"},
    {10109, "Removal process complete.\nFiles that were in use will be removed\nwhen Windows restarts."},
    {10110, "Files that were in use are replaced when Windows restarts:\nrestart Windows to complete the installation."},
    {10111, "An interrupted installation in %1!s! was undone."},
    {10112, "An interrupted installation in %1!s! was completed."},
    {10113, "The interrupted installation's change to %1!s! lies outside its directories and was left alone."},
    {10114, "Another installation or removal of %1!s! is in progress.\nPlease try again when it has finished."},
    {10115, "No answer within %1!u! seconds: %2!s!"},
    {10116, "Could not undo the change to %1!s! in Program Manager: no Program Manager took it back."},
    {10120, "The file expansion library LZ32.DLL could not be loaded from the Windows system directory.\nNothing has been installed."},
};

// Keyed by number, so a define bound to the wrong number shows up as a wrong text.
TEST(StringTable, EveryMessageHasItsExactText) {
    for (const Message& m : kMessages) {
        SCOPED_TRACE(m.id);
        EXPECT_NE(ResourceBytes(RT_STRING, MAKEINTRESOURCEA(m.id / 16 + 1)), nullptr)
            << "string block not in language 1033";
        char text[1024];
        int length = LoadStringA(Module(), m.id, text, sizeof text);
        EXPECT_EQ(length, static_cast<int>(strlen(m.text)));
        EXPECT_STREQ(text, m.text);  // line feeds as bare \n, 10086 starting with one
    }
}

// ---------------------------------------------------------------- icon and bitmaps

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Icon, GroupHolds16And32PixelImagesOf16Colours) {
    DWORD size = 0;
    const BYTE* group = ResourceBytes(RT_GROUP_ICON, APP_MAIN, &size);
    ASSERT_NE(group, nullptr);
    ASSERT_GE(size, 6u);
    WORD count = *reinterpret_cast<const WORD*>(group + 4);
    ASSERT_EQ(size, 6u + count * sizeof(GroupIconEntry));
    bool seen16 = false, seen32 = false;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry e;
        memcpy(&e, group + 6 + i * sizeof e, sizeof e);
        SCOPED_TRACE(e.width);
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(e.colours, 16);
        const BYTE* image = ResourceBytes(RT_ICON, MAKEINTRESOURCEA(e.id));
        ASSERT_NE(image, nullptr);
        const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(image);
        EXPECT_EQ(h->biWidth, e.width);
        EXPECT_EQ(h->biHeight, 2 * e.width);  // colour image and mask
        EXPECT_EQ(h->biBitCount, 4);
        seen16 |= e.width == 16;
        seen32 |= e.width == 32;
    }
    EXPECT_TRUE(seen16);
    EXPECT_TRUE(seen32);
    EXPECT_NE(LoadIconA(Module(), APP_MAIN), nullptr);
    for (int px : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageA(Module(), APP_MAIN, IMAGE_ICON, px, px, 0));
        ASSERT_NE(icon, nullptr) << px;
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm;
        GetObjectA(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, px);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// The pixels of a bitmap as 32-bit colours, the way the screen gets them.
std::vector<DWORD> Pixels(HBITMAP bitmap, LONG width, LONG height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(width * height));
    HDC dc = GetDC(nullptr);
    int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(rows, height);
    return pixels;
}

// Stored run-length encoded, each paints as the art it was made from.
TEST(Bitmaps, BannerAndLogoHaveTheirSizesAndDepthsAndPaintAsDrawn) {
    struct {
        const char* name;
        const char* art;
        LONG width, height;
        WORD bits;
    } const bitmaps[] = {{TW_BMP, "tw_bmp.bmp", 168, 47, 8}, {ARDLOGO, "ardlogo.bmp", 115, 84, 4}};
    for (const auto& want : bitmaps) {
        SCOPED_TRACE(want.name);
        HBITMAP bitmap = LoadBitmapA(Module(), want.name);
        ASSERT_NE(bitmap, nullptr);
        BITMAP bm;
        ASSERT_NE(GetObjectA(bitmap, sizeof bm, &bm), 0);
        EXPECT_EQ(bm.bmWidth, want.width);
        EXPECT_EQ(bm.bmHeight, want.height);
        std::string art = HostToWinPath(std::string(TW_ART_DIR) + "/" + want.art);
        HBITMAP drawn = static_cast<HBITMAP>(LoadImageA(nullptr, art.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        ASSERT_NE(drawn, nullptr) << art;
        EXPECT_TRUE(Pixels(bitmap, want.width, want.height) == Pixels(drawn, want.width, want.height));
        DeleteObject(drawn);
        DeleteObject(bitmap);
        DWORD size = 0;
        const BYTE* bytes = ResourceBytes(RT_BITMAP, want.name, &size);
        ASSERT_NE(bytes, nullptr);
        const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
        EXPECT_EQ(h->biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(h->biWidth, want.width);
        EXPECT_EQ(h->biHeight, want.height);
        EXPECT_EQ(h->biBitCount, want.bits);
        EXPECT_EQ(h->biCompression, static_cast<DWORD>(want.bits == 8 ? BI_RLE8 : BI_RLE4));
        DWORD colours = h->biClrUsed ? h->biClrUsed : 1u << want.bits;
        EXPECT_LE(colours, 1u << want.bits);
        EXPECT_EQ(size, h->biSize + colours * 4 + h->biSizeImage);
    }
}

// ---------------------------------------------------------------- version resources

struct Program {
    const char* path;
    const char* description;
    const char* internalName;
    const char* originalName;
};

// What inventory tools and detection rules read: the fixed numbers and, in US English with
// the Windows Latin-1 code page, the texts.
TEST(Version, ShippedProgramsCarryTheBuildsVersionAndTheirNames) {
    std::vector<Program> programs = {{SETUP_EXE_PATH, "Tarnwell Setup", "setup", "setup.exe"}};
#ifdef REMOVETW_EXE_PATH
    programs.push_back({REMOVETW_EXE_PATH, "Tarnwell Uninstall", "removetw", "removetw.exe"});
    programs.push_back({TARNWELL_EXE_PATH, "Tarnwell network utility", "tarnwell", "tarnwell.exe"});
#endif
    const WORD numbers[4] = {TW_VERSION_NUMBERS};
    for (const Program& p : programs) {
        std::string path = HostToWinPath(p.path);
        SCOPED_TRACE(path);
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_NE(size, 0u) << "no version resource";
        std::vector<BYTE> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_GE(length, sizeof *fixed);
        const DWORD ms = MAKELONG(numbers[1], numbers[0]), ls = MAKELONG(numbers[3], numbers[2]);
        EXPECT_EQ(Hex(fixed->dwFileVersionMS) + Hex(fixed->dwFileVersionLS), Hex(ms) + Hex(ls));
        EXPECT_EQ(Hex(fixed->dwProductVersionMS) + Hex(fixed->dwProductVersionLS), Hex(ms) + Hex(ls));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        WORD* translation = nullptr;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
        ASSERT_EQ(length, 4u);
        EXPECT_EQ(translation[0], 1033);
        EXPECT_EQ(translation[1], 1252);

        const std::pair<const char*, std::string> texts[] = {
            {"CompanyName", "Ardenfel"},
            {"ProductName", "Tarnwell"},
            {"FileVersion", TW_VERSION_TEXT},
            {"ProductVersion", TW_VERSION_TEXT},
            {"FileDescription", p.description},
            {"InternalName", p.internalName},
            {"OriginalFilename", p.originalName},
            {"LegalCopyright", TW_COPYRIGHT},
        };
        for (const auto& t : texts) {
            std::string key = std::string("\\StringFileInfo\\040904E4\\") + t.first;
            char* value = nullptr;
            if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) {
                ADD_FAILURE() << t.first << " is missing";
                continue;
            }
            EXPECT_EQ(t.second, std::string(value)) << t.first;
        }
    }
}

}  // namespace
