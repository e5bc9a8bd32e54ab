#pragma once

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <functional>

#include "fonts/font_maker.h"
#include "ui/window_context.h"

namespace tavrin {

class DotGridView;

// The font maker: user characters chosen by code and size, drawn dot by dot on an enlarged
// grid, listed with a small preview each, saved and opened as font files, and handed to the
// transfer. Shown without blocking the main window; closing hides it and the list stays.
class TFontMakefrm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFontMakefrm(WindowContext& context);

  FontMaker& Maker() { return m_maker; }
  const FontList& List() const { return m_maker.List(); }
  // The drawing image as the screen shows it.
  const QImage& DrawingImage() const { return m_image; }
  // The transfer panel that "Transfer to Sign..." opens, when there is one.
  void SetTransfer(std::function<void()> open);

  // "User Font Make...": shown without blocking, in its normal state.
  void Open();

  // Handlers, named as the designer named them.
  void SpeedButton1Click();  // Add
  void SpeedButton2Click();  // Delete
  void ListBox1MouseUp(int row);
  void Image1MouseDown(QPoint p);
  void Image1MouseMove(QPoint p, Qt::MouseButtons buttons);
  void Image1MouseUp();
  void Button1Click();  // "Yes": the list's previews drawn again
  void Button2Click();  // "NO": the chosen character cleared
  void Save1Click();
  void Open1Click();

  // Font files without their dialogs. Opening reads and checks the file first: a file that is
  // not a font file leaves the list as it was.
  Status SaveFontFile(const std::filesystem::path& path);
  Status OpenFontFile(const std::filesystem::path& path);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void BuildMenus();
  QWidget* BuildCharacterStrip(QWidget* central);
  QWidget* BuildCharacterList(QWidget* central);
  QLayout* BuildDrawing(QWidget* central);
  void BuildStatusBar();
  // The list box from the model, the chosen character selected.
  void FillList();
  // The drawing image from the model: background, grid lines, lit dots.
  void DrawGrid();
  void ShowPosition(const DotCell& cell);

  WindowContext& m_context;
  FontMaker m_maker;
  QImage m_image;
  std::function<void()> m_transfer;
  QComboBox* m_codes = nullptr;
  QComboBox* m_sizes = nullptr;
  QListWidget* m_characters = nullptr;
  DotGridView* m_grid = nullptr;
  QLabel* m_widthLabel = nullptr;
  QLabel* m_heightLabel = nullptr;
  QLabel* m_statusPanels[2] = {};
  QAction* m_transferItem = nullptr;
};

}  // namespace tavrin
