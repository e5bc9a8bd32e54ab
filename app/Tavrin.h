#pragma once

#include <filesystem>
#include <memory>

#include "editor/Uabout.h"
#include "editor/Ucolorsign.h"
#include "editor/Umovespeed.h"
#include "editor/Unit1.h"
#include "editor/Usetcom.h"
#include "fonts/Udeleteuserfont.h"
#include "fonts/Ueuropenunit.h"
#include "fonts/Ufontmake.h"
#include "functions/Udelete.h"
#include "functions/Ulinkpage.h"
#include "functions/Uschedule.h"
#include "functions/Usetid.h"
#include "graphics/Ubmpsaveload.h"
#include "graphics/Ufont.h"
#include "graphics/Ugraphic.h"
#include "graphics/Usavegraph.h"
#include "preview/Upreview.h"

namespace tavrin {

// The program's windows, created once in the order of the program's design and kept until it
// ends, so every dialog keeps its selections between uses; and the one registry that wires
// each menu item and toolbar button of the main window to the window and panel it opens.
class TavrinApp {
 public:
  explicit TavrinApp(std::filesystem::path programFolder);

  TForm1& Form1() { return m_form1; }
  TSetCom& SetCom() { return m_setCom; }
  TAboutBox& AboutBox() { return m_aboutBox; }
  TSchedule& Schedule() { return m_schedule; }
  TScheduleAdd& ScheduleAdd() { return m_scheduleAdd; }
  TDeletefrm& Deletefrm() { return m_deletefrm; }
  TSetID& SetID() { return m_setId; }
  TGraphicForm& GraphicForm() { return m_graphicForm; }
  TuEuropeanCharForm& EuropeanCharForm() { return m_europeanChar; }
  TSelectGaphName& SelectGaphName() { return m_selectGaphName; }
  TInputTextfrm& InputTextfrm() { return m_inputText; }
  TBmpSaveLoad& BmpSaveLoad() { return m_bmpSaveLoad; }
  TFontMakefrm& FontMakefrm() { return m_fontMake; }
  TLinkpagefrm& Linkpagefrm() { return m_linkpage; }
  TMoveSpeedfrm& MoveSpeedfrm() { return m_moveSpeed; }
  TsignColorfrm& SignColorfrm() { return m_signColor; }
  TPreviewPanel& PreviewPanel() { return *m_preview; }

 private:
  void BindCommands();
  // "Recall Default Font": a dialog made for the one use.
  void RecallDefaultFont();

  TForm1 m_form1;
  TSetCom m_setCom;
  TAboutBox m_aboutBox;
  TSchedule m_schedule;
  TScheduleAdd m_scheduleAdd;
  TDeletefrm m_deletefrm;
  TSetID m_setId;
  TGraphicForm m_graphicForm;
  TuEuropeanCharForm m_europeanChar;
  TLinkpagefrm m_linkpage;
  TInputTextfrm m_inputText;
  TBmpSaveLoad m_bmpSaveLoad;
  TMoveSpeedfrm m_moveSpeed;
  TSelectGaphName m_selectGaphName;
  TFontMakefrm m_fontMake;
  TsignColorfrm m_signColor;
  // The sign preview under the editor (owned by the main window's dock).
  TPreviewPanel* m_preview = nullptr;
  // The application's print spooler: Send via Network writes its jobs there.
  std::unique_ptr<Spooler> m_spooler = MakeSystemSpooler();
};

// The program: the application object, the windows, the main window shown, the event loop
// until the main window closes. "--exit-when-shown" measures the start: it reports on stderr
// when the main window is up and ends.
int RunTavrin(int argc, char** argv);

}  // namespace tavrin
