#include "app/Tavrin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "common/program_folder.h"
#include "ui/controls.h"
#include "ui/themed_icon.h"

namespace tavrin {

namespace {

// The window in `slot`, built by `make` the first time it is wanted.
template <class Window, class Make>
Window& BuiltOnce(std::unique_ptr<Window>& slot, Make make) {
  if (!slot) slot = make();
  return *slot;
}

}  // namespace

TavrinApp::TavrinApp(std::filesystem::path programFolder)
    : m_workspace(programFolder),
      m_form1(std::move(programFolder), {m_workspace.Fonts(), m_workspace.Schedules(),
                                         m_workspace.Graphics(), m_workspace.Signs()}) {
  m_preview = new PreviewPanel(m_form1, [this] { return &m_workspace.Fonts(); });
  m_form1.SetPreviewPanel(m_preview);
  BindCommands();
}

// The windows go before the main window they belong to; the main window's road stops its
// worker before the spooler and the workspace go.
TavrinApp::~TavrinApp() = default;

TSetCom& TavrinApp::SetCom() {
  return BuiltOnce(m_setCom, [this] { return std::make_unique<TSetCom>(m_form1); });
}

TAboutBox& TavrinApp::AboutBox() {
  return BuiltOnce(m_aboutBox, [this] { return std::make_unique<TAboutBox>(&m_form1); });
}

TSchedule& TavrinApp::Schedule() {
  return BuiltOnce(m_schedule, [this] {
    auto schedule = std::make_unique<TSchedule>(m_form1);
    m_scheduleAdd = std::make_unique<TScheduleAdd>(m_form1, schedule.get());
    schedule->SetEditor(m_scheduleAdd.get());
    return schedule;
  });
}

TScheduleAdd& TavrinApp::ScheduleAdd() {
  Schedule();
  return *m_scheduleAdd;
}

TDeletefrm& TavrinApp::Deletefrm() {
  return BuiltOnce(m_deletefrm, [this] {
    auto deletefrm = std::make_unique<TDeletefrm>(m_form1);
    deletefrm->SetFontTransfer(
        {[this](const UserFontRecord& record) { EuropeanCharForm().DrawTransferred(record); },
         [this] {
           if (Status s = EuropeanCharForm().SavePicture(); !s)
             m_form1.Notices().FileErr(s.ErrorText());
         }});
    return deletefrm;
  });
}

TSetID& TavrinApp::SetID() {
  return BuiltOnce(m_setId, [this] {
    auto setId = std::make_unique<TSetID>(m_form1);
    setId->SetPrinting(m_spooler.get());
    return setId;
  });
}

TGraphicForm& TavrinApp::GraphicForm() {
  return BuiltOnce(m_graphicForm, [this] {
    auto graphicForm = std::make_unique<TGraphicForm>(m_form1);
    graphicForm->SetNameChooser(&SelectGaphName());
    graphicForm->SetBitmapDialog([this] { BmpSaveLoad().exec(); });
    graphicForm->SetTextInput([this] { InputTextfrm().exec(); });
    return graphicForm;
  });
}

TuEuropeanCharForm& TavrinApp::EuropeanCharForm() {
  return BuiltOnce(m_europeanChar,
                   [this] { return std::make_unique<TuEuropeanCharForm>(m_form1); });
}

TSelectGaphName& TavrinApp::SelectGaphName() {
  return BuiltOnce(m_selectGaphName,
                   [this] { return std::make_unique<TSelectGaphName>(&m_form1); });
}

TInputTextfrm& TavrinApp::InputTextfrm() {
  return BuiltOnce(m_inputText, [this] { return std::make_unique<TInputTextfrm>(GraphicForm()); });
}

TBmpSaveLoad& TavrinApp::BmpSaveLoad() {
  return BuiltOnce(m_bmpSaveLoad, [this] { return std::make_unique<TBmpSaveLoad>(GraphicForm()); });
}

TFontMakefrm& TavrinApp::FontMakefrm() {
  return BuiltOnce(m_fontMake, [this] {
    auto fontMake = std::make_unique<TFontMakefrm>(m_form1);
    fontMake->SetTransfer([this] {
      // The European table draws each character the sign takes: it is there before the
      // transfer starts, not built while it runs.
      EuropeanCharForm();
      Deletefrm().ShowTransferPanel();
    });
    return fontMake;
  });
}

TLinkpagefrm& TavrinApp::Linkpagefrm() {
  return BuiltOnce(m_linkpage, [this] { return std::make_unique<TLinkpagefrm>(m_form1); });
}

TMoveSpeedfrm& TavrinApp::MoveSpeedfrm() {
  return BuiltOnce(m_moveSpeed, [this] { return std::make_unique<TMoveSpeedfrm>(m_form1); });
}

TsignColorfrm& TavrinApp::SignColorfrm() {
  return BuiltOnce(m_signColor, [this] { return std::make_unique<TsignColorfrm>(m_form1); });
}

SignsDialog& TavrinApp::Signs() {
  return BuiltOnce(m_signs, [this] { return std::make_unique<SignsDialog>(m_form1); });
}

int TavrinApp::WindowsBuilt() const {
  int built = 0;
  for (const bool there :
       {!!m_setCom, !!m_aboutBox, !!m_schedule, !!m_scheduleAdd, !!m_deletefrm, !!m_setId,
        !!m_graphicForm, !!m_europeanChar, !!m_linkpage, !!m_inputText, !!m_bmpSaveLoad,
        !!m_moveSpeed, !!m_selectGaphName, !!m_fontMake, !!m_signColor, !!m_signs}) {
    built += there ? 1 : 0;
  }
  return built;
}

void TavrinApp::BindCommands() {
  TForm1& f = m_form1;
  using C = MainCommand;
  using P = TSetID::Panel;
  using D = TDeletefrm::Panel;
  f.Bind(C::SetCom, [this] { SetCom().ShowComPanel(); });
  f.Bind(C::DisplayTime, [this] { SetCom().ShowDisplayPanel(); });
  f.Bind(C::MoveSpeed, [this] { MoveSpeedfrm().ShowSpeedPanel(); });
  f.Bind(C::Column, [this] { MoveSpeedfrm().ShowColumnPanel(); });
  f.Bind(C::About, [this] { AboutBox().exec(); });
  f.Bind(C::ShowColorSetting, [this] { SignColorfrm().ShowSetting(); });
  f.Bind(C::SendMessage, [this] { SetID().ShowPanel(P::SendMessage); });
  f.Bind(C::RunPage, [this] { SetID().ShowPanel(P::RunPage); });
  f.Bind(C::SetId, [this] { SetID().ShowPanel(P::Id); });
  f.Bind(C::SetClock, [this] { SetID().ShowPanel(P::Clock); });
  f.Bind(C::SetBrightness, [this] { SetID().ShowPanel(P::Bright); });
  f.Bind(C::LinkPages, [this] { Linkpagefrm().Open(); });
  f.Bind(C::DisplayBySchedule, [this] { Schedule().Open(); });
  f.Bind(C::DeletePage, [this] { Deletefrm().ShowPanel(D::DelPage); });
  f.Bind(C::DeleteSchedule, [this] { Deletefrm().ShowPanel(D::DelSchedule); });
  f.Bind(C::DeleteAll, [this] { Deletefrm().ShowPanel(D::DeleteAll); });
  f.Bind(C::EditGraphic, [this] { GraphicForm().Open(); });
  f.Bind(C::UserFontMake, [this] { FontMakefrm().Open(); });
  f.Bind(C::EuropeanChar, [this] { EuropeanCharForm().Open(); });
  f.Bind(C::RecallDefaultFont, [this] { RecallDefaultFont(); });
  f.Bind(C::SendViaNetwork, [this] { SetID().ToolButton12Click(); });
  f.Bind(C::Signs, [this] { Signs().Open(); });

  // The sign colour dialog is built at the start only when the settings ask for it.
  f.OnFirstShown([this] {
    if (TsignColorfrm::WantedAtStart(m_form1.AppSettings())) SignColorfrm().StartUp();
  });
}

void TavrinApp::RecallDefaultFont() {
  TDeleteFontfrm dialog(m_form1, [this] { EuropeanCharForm().RecallDefault(); });
  dialog.exec();
}

int RunTavrin(int argc, char** argv) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  QApplication app(argc, argv);
  // What is left once Qt has taken its own options: ours, and a message file to open.
  bool exitWhenShown = false;
  QString file;
  for (const QString& argument : QApplication::arguments().mid(1)) {
    if (argument == "--exit-when-shown") {
      exitWhenShown = true;
    } else if (file.isEmpty() && !argument.startsWith("-")) {
      file = argument;
    }
  }
  QApplication::setApplicationName("Tavrin");
  QGuiApplication::setDesktopFileName("tavrin");
  QApplication::setWindowIcon(ThemedIcon("tavrin"));

  TavrinApp windows(ProgramFolder());
  TForm1& form1 = windows.Form1();
  form1.show();
  // Says when the window is up (and the file, if any, read), with its caption, and ends.
  const auto reportAndQuit = [&] {
    std::fprintf(
        stderr, "Tavrin: main window \"%s\" shown %lld ms after main\n",
        qPrintable(form1.windowTitle().replace("[*]", form1.isWindowModified() ? "*" : "")),
        static_cast<long long>(sinceStart.elapsed()));
    QApplication::quit();
  };
  if (!file.isEmpty()) {
    form1.OpenMessageFile(ToPath(file), [&](const Status& opened) {
      if (!opened) form1.Notices().FileErr(opened.ErrorText());
      if (exitWhenShown) reportAndQuit();
    });
  } else if (exitWhenShown) {
    QTimer::singleShot(0, &app, reportAndQuit);
  }
  return QApplication::exec();
}

}  // namespace tavrin
