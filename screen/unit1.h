// The test screen: the form TForm1, its handlers and the program-wide values.
#pragma once

#include <string>

#include "platform/application.h"
#include "platform/form.h"
#include "platform/menu.h"
#include "platform/timer.h"

class TForm1 : public vcl::TForm {
 public:
  explicit TForm1(vcl::TApplication& application);

  // Components, filled in by the form description.
  vcl::TPopupMenu* PopupMenu1 = nullptr;
  vcl::TMenuItem* Exit1 = nullptr;
  vcl::TMenuItem* N1 = nullptr;
  vcl::TMenuItem* White = nullptr;
  vcl::TMenuItem* Gray = nullptr;
  vcl::TMenuItem* Black = nullptr;
  vcl::TMenuItem* N2 = nullptr;
  vcl::TMenuItem* About1 = nullptr;
  vcl::TMenuItem* Green = nullptr;
  vcl::TMenuItem* Howtousetheprogram1 = nullptr;
  vcl::TMenuItem* Lookfornewversionontheinternet1 = nullptr;
  vcl::TMenuItem* WhiteGreenanimation1 = nullptr;
  vcl::TTimer* Timer1 = nullptr;
  vcl::TMenuItem* DownloadmorefreeTaviksutilities1 = nullptr;

  // Handlers, bound by the form description.
  void Exit1Click(vcl::TObject* Sender);
  void BlackClick(vcl::TObject* Sender);
  void GrayClick(vcl::TObject* Sender);
  void WhiteClick(vcl::TObject* Sender);
  void About1Click(vcl::TObject* Sender);
  void GreenClick(vcl::TObject* Sender);
  void FormActivate(vcl::TObject* Sender);
  void Lookfornewversionontheinternet1Click(vcl::TObject* Sender);
  void FormCreate(vcl::TObject* Sender);
  void Howtousetheprogram1Click(vcl::TObject* Sender);
  void WhiteGreenanimation1Click(vcl::TObject* Sender);
  void Timer1Timer(vcl::TObject* Sender);
  void DownloadmorefreeTaviksutilities1Click(vcl::TObject* Sender);
  void FormKeyUp(vcl::TObject* Sender, vcl::VirtualKey& Key, vcl::TShiftState Shift);

  void ApplyDescription() override;

 private:
  void OpenHomePage();
};

// Program-wide values.
extern TForm1* Form1;
extern std::string HomePage;
extern std::string VersionText;
extern bool NoWelcome;

// Unit start and end: the values start empty and are released at the end.
void Unit1Initialize(vcl::TApplication& application);

// The pattern colours, 0x00BBGGRR.
constexpr vcl::TColor kBlackColor = 0x000000;
constexpr vcl::TColor kGrayColor = 0xC0C0C0;
constexpr vcl::TColor kGreenColor = 0x808040;
constexpr vcl::TColor kWhiteColor = 0xFFFFFF;
