/* probe.exe: looks at windows, the registry and the screen from inside the
 * same Wine prefix as the program under test. One JSON object per line.
 *
 *   probe.exe windows [PID]            top-level windows (of PID), with children
 *   probe.exe reg KEYPATH              values under HKCU\KEYPATH, stored bytes
 *   probe.exe regdel KEYPATH           deletes HKCU\KEYPATH with its subtree
 *   probe.exe regset KEYPATH NAME TEXT writes a REG_SZ value
 *   probe.exe pixel X Y [X Y ...]      screen colours
 *   probe.exe post HWND MSG WPARAM LPARAM
 *   probe.exe startup [ANYTHING]       stores how this process was started
 *   probe.exe regvolatile KEYPATH      creates HKCU\KEYPATH as a volatile key
 *   probe.exe workarea [L T R B]       the work area, after setting it if given
 *   probe.exe foreground HWND          SetForegroundWindow
 *   probe.exe focus TID                the thread's focus and active window
 *   probe.exe rightclick X Y           the pointer to (X, Y), a right click
 *   probe.exe key VK [VK ...]          presses and releases each virtual key
 *                                      in turn through SendInput
 *   probe.exe textfit HWND [WIDTH]     the size the window's text needs in
 *                                      the message-box font at its width (or
 *                                      at WIDTH)
 *   probe.exe move HWND L T R B        SetWindowPos to that rectangle
 *   probe.exe monitors                 each monitor's rectangle and work area
 *   probe.exe textlook HWND            how many of the window's pixels on the
 *                                      screen differ from its text drawn here
 *                                      in the message-box font (and in the
 *                                      system font)
 *   probe.exe acc HWND                 name and role through the accessibility
 *                                      interface (AccessibleObjectFromWindow)
 *   probe.exe serve                    the above, one command a line on stdin
 *
 * serve takes each line's words separated by tabs, answers as the one-shot
 * command would and ends each answer with {"done":EXITCODE}. It saves the
 * emulated start of a Wine process per question, and while it runs it keeps
 * the virtual desktop open, which otherwise closes when its last program ends.
 *
 * Numbers on the command line may be decimal or 0x hex. Window texts are the
 * window's ANSI bytes, each byte written as the code point of the same value,
 * so no byte is lost to a code page. Exit code 0 on success, 2 when a
 * registry key is missing, 1 on any other failure.
 */
#include <windows.h>
#include <oleacc.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void json_bytes(const char *s)
{
    const unsigned char *c;
    putchar('"');
    for (c = (const unsigned char *)s; *c; c++) {
        if (*c == '"' || *c == '\\') printf("\\%c", *c);
        else if (*c < 0x20 || *c >= 0x7f) printf("\\u%04x", *c);
        else putchar(*c);
    }
    putchar('"');
}

static void json_wide(const WCHAR *s)
{
    putchar('"');
    for (; *s; s++) {
        if (*s == '"' || *s == '\\') printf("\\%c", (char)*s);
        else if (*s < 0x20 || *s >= 0x7f) printf("\\u%04x", (unsigned)*s);
        else putchar((char)*s);
    }
    putchar('"');
}

static void json_rect(const char *name, HWND hwnd)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(hwnd, &r);
    printf("\"%s\":[%ld,%ld,%ld,%ld]", name, r.left, r.top, r.right, r.bottom);
}

static unsigned long parse_number(const char *s, int *ok)
{
    char *end;
    unsigned long v = strtoul(s, &end, 0);
    if (*s == '\0' || *end != '\0') *ok = 0;
    return v;
}

static int failed(const char *what, DWORD code)
{
    printf("{\"error\":\"%s\",\"code\":%lu}\n", what, (unsigned long)code);
    return 1;
}

/* ---- windows ---------------------------------------------------------- */

struct child_list { int count; };

static BOOL CALLBACK print_child(HWND hwnd, LPARAM lp)
{
    struct child_list *list = (struct child_list *)lp;
    char cls[256] = "", text[1024] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    printf("%s{\"hwnd\":%lu,\"class\":", list->count++ ? "," : "",
           (unsigned long)(ULONG_PTR)hwnd);
    json_bytes(cls);
    printf(",\"text\":");
    json_bytes(text);
    printf(",");
    json_rect("rect", hwnd);
    printf(",\"style\":%lu,\"id\":%d}", (unsigned long)GetWindowLongA(hwnd, GWL_STYLE),
           GetDlgCtrlID(hwnd));
    return TRUE;
}

struct window_filter { DWORD pid; int all; };

static BOOL CALLBACK print_window(HWND hwnd, LPARAM lp)
{
    const struct window_filter *filter = (const struct window_filter *)lp;
    char cls[256] = "", text[1024] = "";
    DWORD pid = 0, tid = GetWindowThreadProcessId(hwnd, &pid);
    LONG exstyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
    struct child_list children = {0};

    if (!filter->all && pid != filter->pid) return TRUE;
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    printf("{\"hwnd\":%lu,\"pid\":%lu,\"tid\":%lu,\"class\":", (unsigned long)(ULONG_PTR)hwnd,
           (unsigned long)pid, (unsigned long)tid);
    json_bytes(cls);
    printf(",\"text\":");
    json_bytes(text);
    printf(",");
    json_rect("rect", hwnd);
    printf(",\"style\":%lu,\"exstyle\":%lu", (unsigned long)GetWindowLongA(hwnd, GWL_STYLE),
           (unsigned long)exstyle);
    printf(",\"enabled\":%s,\"visible\":%s,\"iconic\":%s,\"zoomed\":%s",
           IsWindowEnabled(hwnd) ? "true" : "false", IsWindowVisible(hwnd) ? "true" : "false",
           IsIconic(hwnd) ? "true" : "false", IsZoomed(hwnd) ? "true" : "false");
    printf(",\"foreground\":%s,\"topmost\":%s,\"owner\":%lu,\"children\":[",
           GetForegroundWindow() == hwnd ? "true" : "false",
           (exstyle & WS_EX_TOPMOST) ? "true" : "false",
           (unsigned long)(ULONG_PTR)GetWindow(hwnd, GW_OWNER));
    EnumChildWindows(hwnd, print_child, (LPARAM)&children);
    printf("]}\n");
    return TRUE;
}

static int cmd_windows(int argc, char **argv)
{
    struct window_filter filter = {0, 1};
    int ok = 1;
    if (argc > 1) return failed("usage", 0);
    if (argc == 1) {
        filter.pid = parse_number(argv[0], &ok);
        filter.all = 0;
    }
    if (!ok) return failed("usage", 0);
    EnumWindows(print_window, (LPARAM)&filter);
    return 0;
}

/* ---- registry ----------------------------------------------------------- */

/* The W functions hand back the bytes as stored: a string written with an A
 * function is kept as UTF-16, and its stored size tells whether the writer
 * counted the terminating NUL. */
static int cmd_reg(int argc, char **argv)
{
    HKEY key;
    LONG rc;
    DWORD i;
    if (argc != 1) return failed("usage", 0);
    rc = RegOpenKeyExA(HKEY_CURRENT_USER, argv[0], 0, KEY_READ, &key);
    if (rc == ERROR_FILE_NOT_FOUND) return 2;
    if (rc != ERROR_SUCCESS) return failed("RegOpenKeyEx", (DWORD)rc);
    for (i = 0;; i++) {
        WCHAR name[16384];
        BYTE data[65536];
        DWORD name_len = sizeof name / sizeof name[0], size = sizeof data, type = 0, b;
        rc = RegEnumValueW(key, i, name, &name_len, NULL, &type, data, &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            RegCloseKey(key);
            return failed("RegEnumValue", (DWORD)rc);
        }
        printf("{\"name\":");
        json_wide(name);
        printf(",\"type\":%lu,\"size\":%lu,\"data\":\"", (unsigned long)type, (unsigned long)size);
        for (b = 0; b < size; b++) printf("%02x", data[b]);
        printf("\"}\n");
    }
    RegCloseKey(key);
    return 0;
}

static int cmd_regdel(int argc, char **argv)
{
    LONG rc;
    if (argc != 1) return failed("usage", 0);
    rc = RegDeleteTreeA(HKEY_CURRENT_USER, argv[0]);
    if (rc == ERROR_SUCCESS) rc = RegDeleteKeyA(HKEY_CURRENT_USER, argv[0]);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return failed("RegDelete", (DWORD)rc);
    return 0;
}

static int cmd_regset(int argc, char **argv)
{
    HKEY key;
    LONG rc;
    if (argc != 3) return failed("usage", 0);
    rc = RegCreateKeyExA(HKEY_CURRENT_USER, argv[0], 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL);
    if (rc != ERROR_SUCCESS) return failed("RegCreateKeyEx", (DWORD)rc);
    rc = RegSetValueExA(key, argv[1], 0, REG_SZ, (const BYTE *)argv[2], (DWORD)strlen(argv[2]) + 1);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return failed("RegSetValueEx", (DWORD)rc);
    return 0;
}

/* ---- screen and messages -------------------------------------------------- */

static int cmd_pixel(int argc, char **argv)
{
    HDC dc;
    int i, ok = 1;
    if (argc == 0 || argc % 2 != 0) return failed("usage", 0);
    dc = GetDC(NULL);
    if (!dc) return failed("GetDC", GetLastError());
    for (i = 0; i < argc; i += 2) {
        int x = (int)parse_number(argv[i], &ok), y = (int)parse_number(argv[i + 1], &ok);
        COLORREF c = GetPixel(dc, x, y);
        if (!ok) break;
        if (c == CLR_INVALID) printf("{\"x\":%d,\"y\":%d,\"rgb\":null}\n", x, y);
        else printf("{\"x\":%d,\"y\":%d,\"rgb\":[%d,%d,%d]}\n", x, y, GetRValue(c), GetGValue(c),
                    GetBValue(c));
    }
    ReleaseDC(NULL, dc);
    return ok ? 0 : failed("usage", 0);
}

/* post: queued, returns at once; send: returns once the window has handled
 * it (5 s at most), so that what it changed can be read right after. */
static int post_or_send(int argc, char **argv, int send)
{
    int ok = 1;
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    DWORD_PTR result = 0;
    if (argc != 4) return failed("usage", 0);
    hwnd = (HWND)(ULONG_PTR)parse_number(argv[0], &ok);
    msg = (UINT)parse_number(argv[1], &ok);
    wp = (WPARAM)parse_number(argv[2], &ok);
    lp = (LPARAM)parse_number(argv[3], &ok);
    if (!ok) return failed("usage", 0);
    if (!send) {
        if (!PostMessageA(hwnd, msg, wp, lp)) return failed("PostMessage", GetLastError());
        return 0;
    }
    if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result))
        return failed("SendMessageTimeout", GetLastError());
    printf("{\"result\":%lu}\n", (unsigned long)result);
    return 0;
}

static int cmd_post(int argc, char **argv) { return post_or_send(argc, argv, 0); }
static int cmd_send(int argc, char **argv) { return post_or_send(argc, argv, 1); }

/* Run under the launcher to check what a started program receives: the raw
 * command line and the show request land in HKCU\Software\VelumenE2E,
 * since a started program's output has nowhere else to go. */
static int cmd_startup(int argc, char **argv)
{
    const char *cmdline = GetCommandLineA();
    STARTUPINFOA si;
    HKEY key;
    LONG rc;
    DWORD flags, show;
    (void)argc;
    (void)argv;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    flags = si.dwFlags;
    show = si.wShowWindow;
    rc = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VelumenE2E", 0, NULL, 0, KEY_SET_VALUE, NULL,
                         &key, NULL);
    if (rc != ERROR_SUCCESS) return failed("RegCreateKeyEx", (DWORD)rc);
    rc = RegSetValueExA(key, "cmdline", 0, REG_BINARY, (const BYTE *)cmdline, (DWORD)strlen(cmdline));
    if (rc == ERROR_SUCCESS) rc = RegSetValueExA(key, "flags", 0, REG_DWORD, (const BYTE *)&flags, 4);
    if (rc == ERROR_SUCCESS) rc = RegSetValueExA(key, "show", 0, REG_DWORD, (const BYTE *)&show, 4);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return failed("RegSetValueEx", (DWORD)rc);
    return 0;
}

static int cmd_regvolatile(int argc, char **argv)
{
    HKEY key;
    LONG rc;
    if (argc != 1) return failed("usage", 0);
    rc = RegCreateKeyExA(HKEY_CURRENT_USER, argv[0], 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL,
                         &key, NULL);
    if (rc != ERROR_SUCCESS) return failed("RegCreateKeyEx", (DWORD)rc);
    RegCloseKey(key);
    return 0;
}

/* With four numbers, sets the work area as a task bar would (and tells
 * every window); prints the work area in force afterwards. */
static int cmd_workarea(int argc, char **argv)
{
    RECT r;
    int ok = 1;
    if (argc != 0 && argc != 4) return failed("usage", 0);
    if (argc == 4) {
        r.left = (LONG)parse_number(argv[0], &ok);
        r.top = (LONG)parse_number(argv[1], &ok);
        r.right = (LONG)parse_number(argv[2], &ok);
        r.bottom = (LONG)parse_number(argv[3], &ok);
        if (!ok) return failed("usage", 0);
        if (!SystemParametersInfoA(SPI_SETWORKAREA, 0, &r, SPIF_SENDCHANGE))
            return failed("SPI_SETWORKAREA", GetLastError());
    }
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) return failed("SPI_GETWORKAREA", GetLastError());
    printf("{\"workarea\":[%ld,%ld,%ld,%ld],\"screen\":[%d,%d],\"dpi\":%d}\n", r.left, r.top, r.right,
           r.bottom, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), (int)GetDpiForSystem());
    return 0;
}

/* Changes the display mode, as the display settings do (every window is
 * told with WM_DISPLAYCHANGE); prints the primary monitor afterwards. */
static int cmd_mode(int argc, char **argv)
{
    DEVMODEA mode;
    MONITORINFO info;
    int ok = 1;
    LONG result;
    if (argc != 2) return failed("usage", 0);
    memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = (DWORD)parse_number(argv[0], &ok);
    mode.dmPelsHeight = (DWORD)parse_number(argv[1], &ok);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    if (!ok) return failed("usage", 0);
    result = ChangeDisplaySettingsA(&mode, 0);
    if (result != DISP_CHANGE_SUCCESSFUL) return failed("ChangeDisplaySettings", (DWORD)result);
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromPoint((POINT){0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    printf("{\"monitor\":[%ld,%ld,%ld,%ld]}\n", info.rcMonitor.left, info.rcMonitor.top,
           info.rcMonitor.right, info.rcMonitor.bottom);
    return 0;
}

static int cmd_foreground(int argc, char **argv)
{
    int ok = 1;
    HWND hwnd;
    if (argc != 1) return failed("usage", 0);
    hwnd = (HWND)(ULONG_PTR)parse_number(argv[0], &ok);
    if (!ok) return failed("usage", 0);
    if (!SetForegroundWindow(hwnd)) return failed("SetForegroundWindow", GetLastError());
    return 0;
}

static BOOL CALLBACK print_monitor(HMONITOR monitor, HDC dc, LPRECT clip, LPARAM data)
{
    MONITORINFO info;
    (void)dc;
    (void)clip;
    (void)data;
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    printf("{\"rect\":[%ld,%ld,%ld,%ld],\"work\":[%ld,%ld,%ld,%ld],\"primary\":%s}\n",
           info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom,
           info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom,
           info.dwFlags & MONITORINFOF_PRIMARY ? "true" : "false");
    return TRUE;
}

/* The monitors as programs see them, one line each. */
static int cmd_monitors(int argc, char **argv)
{
    (void)argv;
    if (argc != 0) return failed("usage", 0);
    if (!EnumDisplayMonitors(NULL, NULL, print_monitor, 0))
        return failed("EnumDisplayMonitors", GetLastError());
    return 0;
}

/* Moves a window, as Windows+Shift+Arrow moves one to another monitor
 * (numbers may be negative: monitors left of or above the primary). */
static int cmd_move(int argc, char **argv)
{
    int ok = 1, left, top, right, bottom;
    HWND hwnd;
    if (argc != 5) return failed("usage", 0);
    hwnd = (HWND)(ULONG_PTR)parse_number(argv[0], &ok);
    left = atoi(argv[1]);
    top = atoi(argv[2]);
    right = atoi(argv[3]);
    bottom = atoi(argv[4]);
    if (!ok) return failed("usage", 0);
    if (!SetWindowPos(hwnd, NULL, left, top, right - left, bottom - top,
                      SWP_NOZORDER | SWP_NOACTIVATE))
        return failed("SetWindowPos", GetLastError());
    return 0;
}

/* Typed into the system's input queue, as a keyboard would: the keys go to
 * the focus of the foreground thread, whichever X window has the X focus. */
static int cmd_key(int argc, char **argv)
{
    int i, ok = 1;
    if (argc < 1) return failed("usage", 0);
    for (i = 0; i < argc; i++) {
        INPUT in[2];
        memset(in, 0, sizeof in);
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = (WORD)parse_number(argv[i], &ok);
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (!ok) return failed("usage", 0);
        if (SendInput(2, in, sizeof in[0]) != 2) return failed("SendInput", GetLastError());
    }
    return 0;
}

/* The pointer moved to (X, Y), screen coordinates that may be negative,
 * and a right click there, through the system's input queue as a mouse's
 * would go: it reaches the window under the pointer whatever the X server
 * makes of it. */
static int cmd_rightclick(int argc, char **argv)
{
    INPUT in[2];
    if (argc != 2) return failed("usage", 0);
    if (!SetCursorPos(atoi(argv[0]), atoi(argv[1]))) return failed("SetCursorPos", GetLastError());
    memset(in, 0, sizeof in);
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    if (SendInput(2, in, sizeof in[0]) != 2) return failed("SendInput", GetLastError());
    return 0;
}

static int cmd_focus(int argc, char **argv)
{
    int ok = 1;
    GUITHREADINFO info;
    DWORD tid;
    if (argc != 1) return failed("usage", 0);
    tid = (DWORD)parse_number(argv[0], &ok);
    if (!ok) return failed("usage", 0);
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(tid, &info)) return failed("GetGUIThreadInfo", GetLastError());
    printf("{\"focus\":%lu,\"active\":%lu,\"capture\":%lu,\"menu\":%lu}\n",
           (unsigned long)(ULONG_PTR)info.hwndFocus, (unsigned long)(ULONG_PTR)info.hwndActive,
           (unsigned long)(ULONG_PTR)info.hwndCapture, (unsigned long)(ULONG_PTR)info.hwndMenuOwner);
    return 0;
}

/* Lays the window's text out as a static control with word wrap would, in
 * the system's message-box font, at the window's width or at WIDTH: the
 * height it needs and the width of its widest line. */
static int cmd_textfit(int argc, char **argv)
{
    int ok = 1;
    HWND hwnd;
    NONCLIENTMETRICSA ncm;
    HFONT font, old;
    HDC dc;
    RECT client, need;
    char text[8192];
    TEXTMETRICA tm;
    if (argc != 1 && argc != 2) return failed("usage", 0);
    hwnd = (HWND)(ULONG_PTR)parse_number(argv[0], &ok);
    if (!ok) return failed("usage", 0);
    memset(&ncm, 0, sizeof ncm);
    ncm.cbSize = sizeof ncm;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        return failed("SPI_GETNONCLIENTMETRICS", GetLastError());
    GetWindowTextA(hwnd, text, sizeof text);
    GetClientRect(hwnd, &client);
    font = CreateFontIndirectA(&ncm.lfMessageFont);
    dc = GetDC(NULL);
    old = SelectObject(dc, font);
    need = client;
    if (argc == 2) need.right = need.left + parse_number(argv[1], &ok);
    if (!ok) return failed("usage", 0);
    need.bottom = need.top;
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    DeleteObject(font);
    printf("{\"client\":[%ld,%ld],\"need\":[%ld,%ld],\"line\":%ld,\"font\":",
           client.right - client.left, client.bottom - client.top, need.right - need.left,
           need.bottom - need.top, tm.tmHeight);
    json_bytes(ncm.lfMessageFont.lfFaceName);
    printf(",\"font_height\":%ld}\n", ncm.lfMessageFont.lfHeight);
    return 0;
}

/* The window's text drawn here as a static control draws it, in `font`,
 * on `back`, into `pixels` (32-bit, top-down, w x h). */
static void draw_text_like(HDC screen, HWND hwnd, HFONT font, COLORREF back, int w, int h,
                           DWORD *pixels)
{
    char text[8192];
    RECT r = {0, 0, w, h};
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old_bmp = SelectObject(dc, bmp), old_font;
    HBRUSH brush = CreateSolidBrush(back);
    BITMAPINFO bi;
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    GetWindowTextA(hwnd, text, sizeof text);
    old_font = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextA(dc, text, -1, &r, DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old_font);
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    SelectObject(dc, old_bmp);
    GetDIBits(dc, bmp, 0, h, pixels, &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(dc);
}

/* The colour (as a COLORREF) that most of the 32-bit pixels have. */
static COLORREF most_common(const DWORD *pixels, int count)
{
    int i, j, best = 0, best_count = 0;
    for (i = 0; i < count && best_count * 2 <= count; i += 97) {
        int n = 0;
        for (j = 0; j < count; j++) n += (pixels[j] & 0xFFFFFF) == (pixels[i] & 0xFFFFFF);
        if (n > best_count) {
            best = i;
            best_count = n;
        }
    }
    return RGB((pixels[best] >> 16) & 0xFF, (pixels[best] >> 8) & 0xFF, pixels[best] & 0xFF);
}

/* Compares the window's pixels on the screen with its text drawn here in
 * the message-box font and, to show that the comparison tells fonts apart,
 * in the system font. The background is the colour most of its pixels have. */
static int cmd_textlook(int argc, char **argv)
{
    int ok = 1, w, h, i, ink = 0, differ = 0, differ_system = 0;
    HWND hwnd;
    NONCLIENTMETRICSA ncm;
    RECT client;
    POINT origin = {0, 0};
    HDC screen, dc;
    HBITMAP bmp;
    HGDIOBJ old;
    HFONT font;
    COLORREF back;
    BITMAPINFO bi;
    DWORD *seen, *drawn, *system;
    if (argc != 1) return failed("usage", 0);
    hwnd = (HWND)(ULONG_PTR)parse_number(argv[0], &ok);
    if (!ok) return failed("usage", 0);
    memset(&ncm, 0, sizeof ncm);
    ncm.cbSize = sizeof ncm;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        return failed("SPI_GETNONCLIENTMETRICS", GetLastError());
    GetClientRect(hwnd, &client);
    ClientToScreen(hwnd, &origin);
    w = client.right;
    h = client.bottom;
    if (w <= 0 || h <= 0) return failed("empty window", 0);
    seen = malloc(sizeof(DWORD) * w * h);
    drawn = malloc(sizeof(DWORD) * w * h);
    system = malloc(sizeof(DWORD) * w * h);
    screen = GetDC(NULL);
    dc = CreateCompatibleDC(screen);
    bmp = CreateCompatibleBitmap(screen, w, h);
    old = SelectObject(dc, bmp);
    BitBlt(dc, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(dc, old);
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    GetDIBits(dc, bmp, 0, h, seen, &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(dc);
    back = most_common(seen, w * h);
    font = CreateFontIndirectA(&ncm.lfMessageFont);
    draw_text_like(screen, hwnd, font, back, w, h, drawn);
    DeleteObject(font);
    draw_text_like(screen, hwnd, (HFONT)GetStockObject(SYSTEM_FONT), back, w, h, system);
    ReleaseDC(NULL, screen);
    for (i = 0; i < w * h; i++) {
        DWORD b = ((back & 0xFF) << 16) | (back & 0xFF00) | ((back >> 16) & 0xFF);
        if ((drawn[i] & 0xFFFFFF) != b) ink++;
        if ((drawn[i] & 0xFFFFFF) != (seen[i] & 0xFFFFFF)) differ++;
        if ((system[i] & 0xFFFFFF) != (seen[i] & 0xFFFFFF)) differ_system++;
    }
    free(seen);
    free(drawn);
    free(system);
    printf("{\"pixels\":%d,\"ink\":%d,\"differ\":%d,\"differ_system_font\":%d}\n", w * h, ink,
           differ, differ_system);
    return 0;
}

/* What a screen reader hears: the window's accessible object, its name
 * and role. */
static int cmd_acc(int argc, char **argv)
{
    int ok = 1;
    HWND hwnd;
    IAccessible *acc = NULL;
    VARIANT self, role;
    BSTR name = NULL;
    HRESULT hr;
    if (argc != 1) return failed("usage", 0);
    hwnd = (HWND)(ULONG_PTR)parse_number(argv[0], &ok);
    if (!ok) return failed("usage", 0);
    CoInitialize(NULL);
    hr = AccessibleObjectFromWindow(hwnd, (DWORD)OBJID_CLIENT, &IID_IAccessible, (void **)&acc);
    if (FAILED(hr) || !acc) {
        CoUninitialize();
        return failed("AccessibleObjectFromWindow", (DWORD)hr);
    }
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VariantInit(&role);
    printf("{\"name_hr\":%ld,", (long)(hr = acc->lpVtbl->get_accName(acc, self, &name)));
    printf("\"name\":");
    if (SUCCEEDED(hr) && name) json_wide(name);
    else printf("null");
    hr = acc->lpVtbl->get_accRole(acc, self, &role);
    printf(",\"role_hr\":%ld,\"role\":%ld}\n", (long)hr,
           SUCCEEDED(hr) && role.vt == VT_I4 ? (long)role.lVal : -1L);
    if (name) SysFreeString(name);
    acc->lpVtbl->Release(acc);
    CoUninitialize();
    return 0;
}

static int cmd_serve(int argc, char **argv);

static const struct {
    const char *name;
    int (*run)(int, char **);
} commands[] = {
    {"windows", cmd_windows}, {"reg", cmd_reg},     {"regdel", cmd_regdel},
    {"regset", cmd_regset},   {"pixel", cmd_pixel}, {"post", cmd_post},
    {"send", cmd_send},
    {"startup", cmd_startup}, {"serve", cmd_serve},
    {"regvolatile", cmd_regvolatile}, {"workarea", cmd_workarea},
    {"foreground", cmd_foreground}, {"move", cmd_move}, {"monitors", cmd_monitors}, {"mode", cmd_mode},
    {"focus", cmd_focus}, {"key", cmd_key}, {"rightclick", cmd_rightclick},
    {"textfit", cmd_textfit}, {"textlook", cmd_textlook}, {"acc", cmd_acc},
};

/* argv[0] is the command's name. */
static int dispatch(int argc, char **argv)
{
    size_t i;
    for (i = 0; i < sizeof commands / sizeof commands[0]; i++)
        if (argc >= 1 && strcmp(argv[0], commands[i].name) == 0) return commands[i].run(argc - 1, argv + 1);
    fprintf(stderr, "usage: probe.exe COMMAND ... (see probe.c)\n");
    return failed("usage", 0);
}

static int cmd_serve(int argc, char **argv)
{
    static char line[65536];
    char *words[64];
    (void)argv;
    if (argc != 0) return failed("usage", 0);
    if (!GetDesktopWindow()) return failed("GetDesktopWindow", GetLastError());
    printf("{\"ready\":true}\n");
    fflush(stdout);
    while (fgets(line, sizeof line, stdin)) {
        int n = 0, rc;
        char *p = line;
        line[strcspn(line, "\r\n")] = '\0';
        while (n < 64) {
            words[n++] = p;
            p = strchr(p, '\t');
            if (!p) break;
            *p++ = '\0';
        }
        rc = strcmp(words[0], "serve") == 0 ? failed("usage", 0) : dispatch(n, words);
        printf("{\"done\":%d}\n", rc);
        fflush(stdout);
    }
    return 0;
}

int main(int argc, char **argv)
{
    int rc;
    _setmode(_fileno(stdout), _O_BINARY); /* "\n", not "\r\n", for the harness */
    /* Rectangles and metrics as the screen has them, as Vexo.exe (which is
     * DPI-aware) sees them, also at another DPI than 96. */
    SetProcessDPIAware();
    rc = dispatch(argc - 1, argv + 1);
    fflush(stdout);
    return rc;
}
