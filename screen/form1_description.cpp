// The form description of TForm1: every property it sets, the components
// in the order it creates them, and the handler bound to each event.
#include "screen/unit1.h"

namespace {

template <class Handler>
vcl::TNotifyEvent Bind(TForm1* form, Handler handler) {
  return [form, handler](vcl::TObject* sender) { (form->*handler)(sender); };
}

}  // namespace

void TForm1::ApplyDescription() {
  Left = 192;
  Top = 117;
  ClientWidth = 436;
  ClientHeight = 282;
  Cursor = vcl::TCursor::crArrow;
  BorderStyle = vcl::TBorderStyle::bsNone;
  Caption = "Velumen";
  SetColor(vcl::clBlack);
  Font = {"MS Sans Serif", -10, /*clWindowText*/ 0x80000008, /*DEFAULT_CHARSET*/ 1};
  FormStyle = vcl::TFormStyle::fsStayOnTop;
  OldCreateOrder = false;
  SetWindowState(vcl::TWindowState::wsMaximized);
  OnActivate = Bind(this, &TForm1::FormActivate);
  OnCreate = Bind(this, &TForm1::FormCreate);
  OnKeyUp = [this](vcl::TObject* sender, vcl::VirtualKey& key, vcl::TShiftState shift) {
    FormKeyUp(sender, key, shift);
  };
  PixelsPerInch = 96;
  TextHeight = 13;

  PopupMenu1 = Own<vcl::TPopupMenu>("PopupMenu1", Ws());
  PopupMenu = PopupMenu1;
  auto entry = [this](const char* name, const char* caption, vcl::TNotifyEvent on_click) {
    vcl::TMenuItem* item = Own<vcl::TMenuItem>(name, caption, std::move(on_click));
    PopupMenu1->Add(item);
    return item;
  };
  Black = entry("Black", "Black", Bind(this, &TForm1::BlackClick));
  Gray = entry("Gray", "Gray", Bind(this, &TForm1::GrayClick));
  Green = entry("Green", "Green", Bind(this, &TForm1::GreenClick));
  White = entry("White", "White", Bind(this, &TForm1::WhiteClick));
  WhiteGreenanimation1 = entry("WhiteGreenanimation1", "White-Green animation",
                               Bind(this, &TForm1::WhiteGreenanimation1Click));
  N2 = entry("N2", "-", nullptr);
  About1 = entry("About1", "About Velumen", Bind(this, &TForm1::About1Click));
  Howtousetheprogram1 = entry("Howtousetheprogram1", "How to use the program",
                              Bind(this, &TForm1::Howtousetheprogram1Click));
  Lookfornewversionontheinternet1 =
      entry("Lookfornewversionontheinternet1", "Look for the new version on the internet",
            Bind(this, &TForm1::Lookfornewversionontheinternet1Click));
  DownloadmorefreeTaviksutilities1 =
      entry("DownloadmorefreeTaviksutilities1", "Download more free Tavik's utilities",
            Bind(this, &TForm1::DownloadmorefreeTaviksutilities1Click));
  N1 = entry("N1", "-", nullptr);
  Exit1 = entry("Exit1", "Exit", Bind(this, &TForm1::Exit1Click));

  Timer1 = Own<vcl::TTimer>("Timer1", Ws(), *this);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(500);
  Timer1->SetOnTimer(Bind(this, &TForm1::Timer1Timer));
}
