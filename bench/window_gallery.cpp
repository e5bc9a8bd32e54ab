// Pictures of every window of Tavrin, for looking at them: each window and panel is built as
// the menus open it, drawn into a PNG of its own name. With --dark the desktop's palette is a
// dark one (as a dark theme gives it), to see that everything stays readable.
//
//   window_gallery OUT_DIR [--dark]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPalette>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "app/Tavrin.h"
#include "ui/sign_runner.h"

namespace {

QPalette DarkPalette() {
  const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230);
  QPalette dark(window);  // light, dark, mid and shadow made from the window's colour
  dark.setColor(QPalette::Window, window);
  dark.setColor(QPalette::WindowText, text);
  dark.setColor(QPalette::Base, base);
  dark.setColor(QPalette::AlternateBase, window);
  dark.setColor(QPalette::ToolTipBase, base);
  dark.setColor(QPalette::ToolTipText, text);
  dark.setColor(QPalette::Text, text);
  dark.setColor(QPalette::Button, window);
  dark.setColor(QPalette::ButtonText, text);
  dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
  dark.setColor(QPalette::HighlightedText, Qt::black);
  dark.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
  dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
  dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
  return dark;
}

void Save(QWidget& window, const QString& folder, const QString& name) {
  window.adjustSize();
  window.show();
  QApplication::processEvents();
  const QString path = folder + "/" + name + ".png";
  if (!window.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  window.hide();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: window_gallery OUT_DIR [--dark]\n");
    return 2;
  }
  const QString& out = args[1];
  QDir().mkpath(out);
  if (args.contains("--dark")) {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setPalette(DarkPalette());
  }
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "tavrin-gallery";
  std::filesystem::create_directories(home / "Graphdata");
  // No sign colour dialog at the start, which would hold the main window disabled.
  FILE* settings = std::fopen((home / "Tavrin.INI").string().c_str(), "wb");
  if (settings != nullptr) {
    std::fputs("[Sign]\r\nshowform=0\r\n", settings);
    std::fclose(settings);
  }
  tavrin::TavrinApp windows(home);
  tavrin::TForm1& form1 = windows.Form1();
  form1.InsertAtCaret("<Curtain Up><Red>");
  form1.Line1Editor()->insertPlainText("Hello, sign");
  form1.resize(640, 480);
  form1.show();
  QApplication::processEvents();
  form1.grab().save(out + "/main-window.png");
  form1.show();

  using P = tavrin::TSetID::Panel;
  const std::pair<P, const char*> setIdPanels[] = {
      {P::Id, "set-id"},         {P::Clock, "set-clock"},
      {P::RunPage, "run-page"},  {P::SendMessage, "send-message"},
      {P::Bright, "brightness"}, {P::SendViaNet, "send-via-network"}};
  for (const auto& [panel, name] : setIdPanels) {
    windows.SetID().PreparePanel(panel);
    Save(windows.SetID(), out, name);
  }
  using D = tavrin::TDeletefrm::Panel;
  const std::pair<D, const char*> deletePanels[] = {{D::DelPage, "delete-page"},
                                                    {D::DelSchedule, "delete-schedule"},
                                                    {D::DeleteAll, "delete-all"},
                                                    {D::TransferFont, "transfer-font"}};
  for (const auto& [panel, name] : deletePanels) {
    windows.Deletefrm().PreparePanel(panel);
    Save(windows.Deletefrm(), out, name);
  }
  windows.SetCom().PreparePanel(windows.SetCom().findChild<QWidget*>("ComPanel"), "Set COM");
  Save(windows.SetCom(), out, "set-com");
  const std::pair<std::function<QWidget&()>, const char*> others[] = {
      {[&]() -> QWidget& { return windows.AboutBox(); }, "about"},
      {[&]() -> QWidget& { return windows.Schedule(); }, "schedule"},
      {[&]() -> QWidget& { return windows.ScheduleAdd(); }, "schedule-add"},
      {[&]() -> QWidget& { return windows.GraphicForm(); }, "graphic-editor"},
      {[&]() -> QWidget& { return windows.EuropeanCharForm(); }, "european-characters"},
      {[&]() -> QWidget& { return windows.Linkpagefrm(); }, "link-pages"},
      {[&]() -> QWidget& { return windows.InputTextfrm(); }, "text-input"},
      {[&]() -> QWidget& { return windows.BmpSaveLoad(); }, "bitmaps"},
      {[&]() -> QWidget& { return windows.MoveSpeedfrm(); }, "move-speed"},
      {[&]() -> QWidget& { return windows.SelectGaphName(); }, "graphic-name"},
      {[&]() -> QWidget& { return windows.FontMakefrm(); }, "font-maker"},
      {[&]() -> QWidget& { return windows.SignColorfrm(); }, "sign-colour"},
  };
  for (const auto& [window, name] : others) Save(window(), out, name);

  // With a sign list (one line of it written wrongly by hand): the Signs dialog, its form,
  // the panels' target choosers and the window of a command for several signs.
  FILE* signs = std::fopen((home / "Tavrin.signs").string().c_str(), "wb");
  if (signs != nullptr) {
    std::fputs(
        "Shop window = COM1, 01, 3, 128\r\nCounter = COM1, 02, 1, 96\r\n"
        "Door = door-sign.local:4001, 0A, 3, 160\r\nLobby = queue:lobby-sign, 03, 3, 128\r\n"
        "Hall = COM2, 4\r\n",
        signs);
    std::fclose(signs);
  }
  tavrin::SignBook& book = windows.AppWorkspace().Signs();
  book.Reload();
  Save(windows.Signs(), out, "signs");
  tavrin::SignForm form(form1, &windows.Signs(), book.Signs().front(),
                        [](const tavrin::NamedSign&) { return tavrin::Status(); });
  Save(form, out, "sign-form");
  const auto target = [](QWidget& window, const char* panel) {
    return window.findChild<QWidget*>(panel)->findChild<tavrin::SignTargetChooser*>();
  };
  target(windows.SetID(), "SendMessagePanel")->ChooseSeveral({"Shop window", "Door"});
  windows.SetID().PreparePanel(P::SendMessage);
  Save(windows.SetID(), out, "send-message-signs");
  target(windows.SetID(), "RunPagePanel")->ChooseSign("Door");
  windows.SetID().PreparePanel(P::RunPage);
  Save(windows.SetID(), out, "run-page-signs");
  windows.SetID().PreparePanel(P::Id);
  Save(windows.SetID(), out, "set-id-signs");
  windows.SetID().PreparePanel(P::SendViaNet);
  Save(windows.SetID(), out, "send-via-network-signs");
  target(windows.Deletefrm(), "DeleteAllPanel")->ChooseAll();
  windows.Deletefrm().PreparePanel(D::DeleteAll);
  Save(windows.Deletefrm(), out, "delete-all-signs");
  Save(windows.Linkpagefrm(), out, "link-pages-signs");
  Save(windows.Schedule(), out, "schedule-signs");
  tavrin::SignsProgress progress(&form1, {"Shop window", "Counter", "Door", "Lobby"});
  progress.Ended(0, "done in 1.8 s", true);
  progress.Sending(1, 3, 5);
  progress.Ended(2, "failed: no answer within 3.3 s to frame 2 of 5", false);
  Save(progress, out, "signs-progress");
  std::fprintf(stderr, "window_gallery: pictures in %s\n", qPrintable(out));
  std::filesystem::remove_all(home);
  return 0;
}
