#include "app/vexo.h"

#include "platform/application.h"
#include "screen/unit1.h"

void Vexo(vcl::WindowSystem& ws) {
  vcl::TApplication application(ws);
  vcl::Application = &application;
  Unit1Initialize(application);
  application.SetTitle("Velumen");
  application.CreateForm(Form1);
  application.Run();
  application.Halt();
}
