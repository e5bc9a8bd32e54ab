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
#include "functions/Udelete.h"
#include "functions/Ulinkpage.h"
#include "functions/Uschedule.h"
#include "functions/Usetid.h"

int main(int argc, char** argv) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  // "--exit-when-shown" measures the start: it reports when the main window is up and ends.
  const bool exitWhenShown = argc > 1 && std::strcmp(argv[1], "--exit-when-shown") == 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tavrin");

  using namespace tavrin;
  const auto programFolder = ProgramFolder();
  // The windows in the order of the program's design; those whose parts are not built yet
  // are absent, and the commands that would open them stay disabled.
  TForm1 form1(programFolder);
  TSetCom setCom(form1.Settings(), &form1);
  TAboutBox aboutBox(&form1);
  TSchedule schedule(&form1);
  TScheduleAdd scheduleAdd(&form1, &schedule);
  TDeletefrm deletefrm(&form1);
  TSetID setId(&form1);
  TLinkpagefrm linkpage(&form1);
  TMoveSpeedfrm moveSpeed(&form1);
  // Its own window: it must stay usable while the main window waits for it at start.
  TsignColorfrm signColor(form1.Settings());

  const AppWindows windows{&form1, &setCom, &aboutBox, &moveSpeed, &signColor};
  form1.Attach(windows);
  setCom.Attach(windows);
  moveSpeed.Attach(windows);
  signColor.Attach(windows);
  schedule.SetEditor(&scheduleAdd);

  using P = TSetID::Panel;
  form1.SetCommand("SendMessage1", [&] { setId.ShowPanel(P::SendMessage); });
  form1.SetCommand("RunPage1", [&] { setId.ShowPanel(P::RunPage); });
  form1.SetCommand("SetID1", [&] { setId.ShowPanel(P::Id); });
  form1.SetCommand("SetClock1", [&] { setId.ShowPanel(P::Clock); });
  form1.SetCommand("SetBrightness1", [&] { setId.ShowPanel(P::Bright); });
  form1.SetCommand("LinkPagesToRun1", [&] { linkpage.Open(); });
  form1.SetCommand("DisplaybySchedule1", [&] {
    schedule.showNormal();
    schedule.raise();
  });
  using D = TDeletefrm::Panel;
  form1.SetCommand("DeletePage1", [&] { deletefrm.ShowPanel(D::DelPage); });
  form1.SetCommand("DeleteSchedule1", [&] { deletefrm.ShowPanel(D::DelSchedule); });
  form1.SetCommand("DeleteAll1", [&] { deletefrm.ShowPanel(D::DeleteAll); });

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
