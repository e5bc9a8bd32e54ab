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
  std::fprintf(stderr, "window_gallery: pictures in %s\n", qPrintable(out));
  std::filesystem::remove_all(home);
  return 0;
}
