#pragma once

#include <filesystem>
#include <memory>

#include "editor/Uabout.h"
#include "editor/Ucolorsign.h"
#include "editor/Umovespeed.h"
#include "editor/Unit1.h"
#include "editor/Usetcom.h"
#include "fonts/Ueuropenunit.h"
#include "fonts/Ufontmake.h"
#include "functions/Udelete.h"
#include "functions/Udeleteuserfont.h"
#include "functions/Ulinkpage.h"
#include "functions/Uschedule.h"
#include "functions/Usetid.h"
#include "functions/signs_dialog.h"
#include "functions/workspace.h"
#include "graphics/Ubmpsaveload.h"
#include "graphics/Ufont.h"
#include "graphics/Ugraphic.h"
#include "graphics/Usavegraph.h"
#include "preview/preview_panel.h"

namespace tavrin {

// The composition root: the workspace (what commands send), the main window with its road to
// the sign, and the other windows, each built the first time it is wanted and kept until the
// program ends, so every dialog keeps its selections between uses; and the one registry that
// wires each menu item and toolbar button of the main window to the window and panel it opens.
class TavrinApp {
 public:
  explicit TavrinApp(std::filesystem::path programFolder);
  ~TavrinApp();

  Workspace& AppWorkspace() { return m_workspace; }
  TForm1& Form1() { return m_form1; }
  TSetCom& SetCom();
  TAboutBox& AboutBox();
  TSchedule& Schedule();
  TScheduleAdd& ScheduleAdd();
  TDeletefrm& Deletefrm();
  TSetID& SetID();
  TGraphicForm& GraphicForm();
  TuEuropeanCharForm& EuropeanCharForm();
  TSelectGaphName& SelectGaphName();
  TInputTextfrm& InputTextfrm();
  TBmpSaveLoad& BmpSaveLoad();
  TFontMakefrm& FontMakefrm();
  TLinkpagefrm& Linkpagefrm();
  TMoveSpeedfrm& MoveSpeedfrm();
  TsignColorfrm& SignColorfrm();
  SignsDialog& Signs();
  PreviewPanel& Preview() { return *m_preview; }

  // How many of the windows besides the main window have been built so far.
  int WindowsBuilt() const;

 private:
  void BindCommands();
  // "Recall Default Font": a dialog made for the one use.
  void RecallDefaultFont();

  Workspace m_workspace;
  // The application's print spooler: Send via Network writes its jobs there, on the road's
  // worker, which the main window stops before this goes.
  std::unique_ptr<Spooler> m_spooler = MakeSystemSpooler();
  TForm1 m_form1;
  std::unique_ptr<TSetCom> m_setCom;
  std::unique_ptr<TAboutBox> m_aboutBox;
  std::unique_ptr<TSchedule> m_schedule;
  std::unique_ptr<TScheduleAdd> m_scheduleAdd;
  std::unique_ptr<TDeletefrm> m_deletefrm;
  std::unique_ptr<TSetID> m_setId;
  std::unique_ptr<TGraphicForm> m_graphicForm;
  std::unique_ptr<TuEuropeanCharForm> m_europeanChar;
  std::unique_ptr<TLinkpagefrm> m_linkpage;
  std::unique_ptr<TInputTextfrm> m_inputText;
  std::unique_ptr<TBmpSaveLoad> m_bmpSaveLoad;
  std::unique_ptr<TMoveSpeedfrm> m_moveSpeed;
  std::unique_ptr<TSelectGaphName> m_selectGaphName;
  std::unique_ptr<TFontMakefrm> m_fontMake;
  std::unique_ptr<TsignColorfrm> m_signColor;
  std::unique_ptr<SignsDialog> m_signs;
  // The sign preview under the editor (owned by the main window's dock).
  PreviewPanel* m_preview = nullptr;
};

// The program: the application object, the main window shown, the event loop until the main
// window closes. "--exit-when-shown" measures the start: it reports on stderr when the main
// window is up and ends.
int RunTavrin(int argc, char** argv);

}  // namespace tavrin
