#include "screen/unit1.h"

#include "platform/info_box.h"
#include "platform/command_line.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "registry/reg.h"
#include "screen/texts.h"

TForm1* Form1 = nullptr;
std::string HomePage;
std::string VersionText;
bool NoWelcome = false;

namespace {
const char kKeyPath[] = "Software\\Korvanta\\Velumen";
}

void Unit1Initialize(vcl::TApplication& application) {
  application.AddFinalizer([] {
    VersionText.clear();
    VersionText.shrink_to_fit();
    HomePage.clear();
    HomePage.shrink_to_fit();
  });
}

TForm1::TForm1(vcl::TApplication& application) : vcl::TForm(application, "Form1") {}

void TForm1::FormCreate(vcl::TObject* /*Sender*/) {
  HomePage = kHomePage;
  VersionText = "1.3";
  WriteRegString(Application().System().registry, kKeyPath, "prisoten", "ja");
  WriteRegString(Application().System().registry, kKeyPath, "verzija", VersionText);
}

void TForm1::FormActivate(vcl::TObject* /*Sender*/) {
  const std::string command_line = Application().System().process.CommandLine();
  if (vcl::ParamCount(command_line) > 0 &&
      vcl::ParamStr(command_line, 1) == "no_welcome") {
    NoWelcome = true;
  }
  if (NoWelcome) return;
  vcl::ShowInformationBox(Application(), WelcomeText(VersionText));
}

void TForm1::FormKeyUp(vcl::TObject* /*Sender*/, vcl::VirtualKey& Key,
                       vcl::TShiftState /*Shift*/) {
  if (Key == vcl::kVkEscape) Close();
}

void TForm1::Exit1Click(vcl::TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  Close();
}

void TForm1::BlackClick(vcl::TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  Form1->SetColor(kBlackColor);
}

void TForm1::GrayClick(vcl::TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  Form1->SetColor(kGrayColor);
}

void TForm1::GreenClick(vcl::TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  Form1->SetColor(kGreenColor);
}

void TForm1::WhiteClick(vcl::TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  Form1->SetColor(kWhiteColor);
}

void TForm1::WhiteGreenanimation1Click(vcl::TObject* /*Sender*/) {
  Form1->SetColor(kWhiteColor);
  Timer1->SetEnabled(true);
}

void TForm1::Timer1Timer(vcl::TObject* /*Sender*/) {
  Form1->SetColor(Form1->Color() == kWhiteColor ? kGreenColor : kWhiteColor);
}

void TForm1::About1Click(vcl::TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  vcl::ShowInformationBox(Application(), AboutText(VersionText));
}

void TForm1::Howtousetheprogram1Click(vcl::TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  vcl::ShowInformationBox(Application(), HowToText());
}

void TForm1::Lookfornewversionontheinternet1Click(vcl::TObject* /*Sender*/) {
  OpenHomePage();
}

void TForm1::DownloadmorefreeTaviksutilities1Click(vcl::TObject* /*Sender*/) {
  OpenHomePage();
}

void TForm1::OpenHomePage() {
  Timer1->SetEnabled(false);
  Application().System().shell.ShellExecute(0, nullptr, HomePage.c_str(), nullptr, nullptr,
                                            vcl::kSwShowNormal);
  Form1->SetWindowState(vcl::TWindowState::wsMinimized);
}
