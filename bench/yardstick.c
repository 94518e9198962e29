/* The least Win32 program that shows what Vexo.exe shows: a black,
 * borderless, maximised, top-most window; with the argument "flip" it
 * alternates white and green on a plain 500 ms timer. Esc's release ends it.
 * The benchmark measures Vexo.exe beside it. */
#include <windows.h>
#include <string.h>

#define WHITE RGB(255, 255, 255)
#define GREEN RGB(64, 128, 128)

static COLORREF colour = RGB(0, 0, 0);

static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      SetDCBrushColor(dc, colour);
      FillRect(dc, &ps.rcPaint, (HBRUSH)GetStockObject(DC_BRUSH));
      EndPaint(w, &ps);
      return 0;
    }
    case WM_TIMER:
      colour = colour == WHITE ? GREEN : WHITE;
      InvalidateRect(w, NULL, FALSE); /* the paint covers it all: no erase */
      return 0;
    case WM_KEYUP:
      if (wp == VK_ESCAPE) PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR args, int show) {
  (void)prev;
  (void)show;
  WNDCLASSA wc = {0};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = "Yardstick";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(WS_EX_TOPMOST, "Yardstick", "Yardstick", WS_POPUP, 0, 0, 640,
                           480, NULL, NULL, instance, NULL);
  ShowWindow(w, SW_SHOWMAXIMIZED);
  if (strstr(args, "flip") != NULL) SetTimer(w, 1, 500, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return (int)msg.wParam;
}
