// Tavrin: creates the windows in order, each kept until the program ends, and runs the
// event loop until the main window closes.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "common/program_folder.h"
#include "editor/Uabout.h"
#include "editor/Ucolorsign.h"
#include "editor/Umovespeed.h"
#include "editor/Unit1.h"
#include "editor/Usetcom.h"

int main(int argc, char** argv) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  // "--exit-when-shown" measures the start: it reports when the main window is up and ends.
  const bool exitWhenShown = argc > 1 && std::strcmp(argv[1], "--exit-when-shown") == 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tavrin");

  using namespace tavrin;
  const auto programFolder = ProgramFolder();
  AppWindows windows;
  // The order of creation is the order of the windows' parts; those not built yet are absent.
  TForm1 form1(programFolder);
  windows.form1 = &form1;
  TSetCom setCom(form1.Settings(), &form1);
  windows.setCom = &setCom;
  TAboutBox aboutBox(&form1);
  windows.aboutBox = &aboutBox;
  TMoveSpeedfrm moveSpeed(&form1);
  windows.moveSpeed = &moveSpeed;
  // Its own window: it must stay usable while the main window waits for it at start.
  TsignColorfrm signColor(form1.Settings());
  windows.signColor = &signColor;

  form1.Attach(windows);
  setCom.Attach(windows);
  moveSpeed.Attach(windows);
  signColor.Attach(windows);

  form1.show();
  if (exitWhenShown) {
    QTimer::singleShot(0, &app, [&] {
      std::fprintf(stderr, "Tavrin: main window shown %lld ms after main\n",
                   static_cast<long long>(sinceStart.elapsed()));
      QApplication::quit();
    });
  }
  return QApplication::exec();
}
