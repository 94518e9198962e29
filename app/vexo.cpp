#include "app/vexo.h"

#include "platform/application.h"
#include "screen/unit1.h"

void Vexo(const vcl::SystemServices& system) {
  vcl::TApplication application(system);
  vcl::Application = &application;
  Unit1Initialize(application);
  application.SetTitle("Velumen");
  application.CreateForm(Form1);
  application.Run();
  application.Halt();
}
