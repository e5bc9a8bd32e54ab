#include "app/Tavrin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "common/program_folder.h"

namespace tavrin {

TavrinApp::TavrinApp(std::filesystem::path programFolder)
    : m_form1(std::move(programFolder)),
      m_setCom(m_form1),
      m_aboutBox(&m_form1),
      m_schedule(m_form1),
      m_scheduleAdd(m_form1, &m_schedule),
      m_deletefrm(m_form1),
      m_setId(m_form1),
      m_graphicForm(m_form1),
      m_europeanChar(m_form1),
      m_linkpage(m_form1),
      m_inputText(m_graphicForm),
      m_bmpSaveLoad(m_graphicForm),
      m_moveSpeed(m_form1),
      m_selectGaphName(&m_form1),
      m_fontMake(m_form1),
      m_signColor(m_form1) {
  m_schedule.SetEditor(&m_scheduleAdd);
  m_setId.SetPrinting(m_spooler.get());
  m_preview = new TPreviewPanel(m_form1, [this] { return &m_fontMake.List(); });
  m_form1.SetPreviewPanel(m_preview);
  m_graphicForm.SetNameChooser(&m_selectGaphName);
  m_graphicForm.SetBitmapDialog([this] { m_bmpSaveLoad.exec(); });
  m_graphicForm.SetTextInput([this] { m_inputText.exec(); });
  m_fontMake.SetTransfer([this] { m_deletefrm.ShowTransferPanel(); });
  m_deletefrm.SetFontTransfer(
      {[this]() -> const FontList& { return m_fontMake.List(); },
       [this](const UserFontRecord& record) { m_europeanChar.DrawTransferred(record); },
       [this] {
         if (Status s = m_europeanChar.SavePicture(); !s) m_form1.Notices().FileErr(s.ErrorText());
       }});
  BindCommands();
}

void TavrinApp::BindCommands() {
  TForm1& f = m_form1;
  f.Bind("SetCOM1", [this] { m_setCom.ShowComPanel(); });
  f.Bind("DisplayTime1", [this] { m_setCom.ShowDisplayPanel(); });
  f.Bind("MoveSpeed1", [this] { m_moveSpeed.ShowSpeedPanel(); });
  f.Bind("Column1", [this] { m_moveSpeed.ShowColumnPanel(); });
  f.Bind("About1", [this] { m_aboutBox.exec(); });
  f.Bind("ShowColorSetting1", [this] { m_signColor.ShowSetting(); });

  using P = TSetID::Panel;
  for (const char* name : {"SendMessage1", "ToolButton9"}) {
    f.Bind(name, [this] { m_setId.ShowPanel(P::SendMessage); });
  }
  f.Bind("RunPage1", [this] { m_setId.ShowPanel(P::RunPage); });
  f.Bind("SetID1", [this] { m_setId.ShowPanel(P::Id); });
  f.Bind("SetClock1", [this] { m_setId.ShowPanel(P::Clock); });
  f.Bind("SetBrightness1", [this] { m_setId.ShowPanel(P::Bright); });
  f.Bind("LinkPagesToRun1", [this] { m_linkpage.Open(); });
  f.Bind("EditGraphic1", [this] { m_graphicForm.Open(); });
  f.Bind("UserFontMake1", [this] { m_fontMake.Open(); });
  f.Bind("EuropeanChar1", [this] { m_europeanChar.Open(); });
  f.Bind("RecallDefaultFont1", [this] { RecallDefaultFont(); });
  f.Bind("DisplaybySchedule1", [this] { m_schedule.Open(); });
  using D = TDeletefrm::Panel;
  f.Bind("DeletePage1", [this] { m_deletefrm.ShowPanel(D::DelPage); });
  f.Bind("DeleteSchedule1", [this] { m_deletefrm.ShowPanel(D::DelSchedule); });
  f.Bind("DeleteAll1", [this] { m_deletefrm.ShowPanel(D::DeleteAll); });
  f.Bind("ToolButton12", [this] { m_setId.ToolButton12Click(); });

  f.OnFirstShown([this] { m_signColor.StartUp(); });
}

void TavrinApp::RecallDefaultFont() {
  TDeleteFontfrm dialog(m_form1, [this] { m_europeanChar.RecallDefault(); });
  dialog.exec();
}

int RunTavrin(int argc, char** argv) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  const bool exitWhenShown = argc > 1 && std::strcmp(argv[1], "--exit-when-shown") == 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tavrin");
  QGuiApplication::setDesktopFileName("tavrin");
  QApplication::setWindowIcon(QIcon::fromTheme("tavrin", QIcon(ProgramPicture())));

  TavrinApp windows(ProgramFolder());
  windows.Form1().show();
  if (exitWhenShown) {
    QTimer::singleShot(0, &app, [&] {
      std::fprintf(stderr, "Tavrin: main window shown %lld ms after main\n",
                   static_cast<long long>(sinceStart.elapsed()));
      QApplication::quit();
    });
  }
  return QApplication::exec();
}

}  // namespace tavrin
