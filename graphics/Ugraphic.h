#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStringList>
#include <QToolButton>
#include <array>
#include <filesystem>
#include <functional>
#include <string_view>

#include "graphics/graphic_editor.h"
#include "graphics/graphic_file.h"
#include "ui/window_context.h"

class QGroupBox;
class QHBoxLayout;
class QSplitter;

namespace tavrin {

class TSelectGaphName;
class GridView;
class BlockView;
class GridArea;
class Swatch;

// The graphic editor's own picture NAME: the SVG file graphics/icons/NAME.svg, kept in the
// program's resources. Drawn by Qt's SVG icon engine, a plugin that must be installed.
QString GraphicIconFile(std::string_view name);
// The desktop icon theme's picture `themeName` where the theme has it (looked up when first
// drawn), our own picture NAME otherwise; with no theme name, ours.
QIcon GraphicIcon(std::string_view name, std::string_view themeName = {});

// The graphic editor: twelve tools in four colours on a grid of round LEDs, sizes, zoom, the
// stored graphics, and Insert into the message. Shown without blocking the main window; it
// lives for the whole run, so the drawing and every choice persist. The rules are the model's
// (GraphicEditor and its tools); the window turns the mouse into cells and draws what the model
// says.
class TGraphicForm : public QWidget {
  Q_OBJECT
 public:
  explicit TGraphicForm(WindowContext& context);
  ~TGraphicForm() override;

  // The name chooser of Save, made at program start after this window.
  void SetNameChooser(TSelectGaphName* chooser) { m_nameChooser = chooser; }
  // The bitmap dialog (BmpButton) and the text input of the Text tool, when they exist.
  void SetBitmapDialog(std::function<void()> open);
  void SetTextInput(std::function<void()> open) { m_textInput = std::move(open); }
  // Where Export and import ask for a bitmap file: the path chosen, or empty when the user
  // cancelled. The file dialogs but for tests.
  enum class BitmapQuestion { Export, Import };
  using BitmapFileChooser = std::function<QString(BitmapQuestion question)>;
  void SetFileChooser(BitmapFileChooser chooser) { m_chooseFile = std::move(chooser); }

  GraphicEditor& Editor() { return m_editor; }
  const GraphicFolder& Folder() const { return m_folder; }
  // The grid as the screen shows it.
  const QImage& GridImage() const { return m_gridImage; }

  // "Edit Graphic...": shown without blocking, restored when minimised.
  void Open();
  // Everything on the screen from the model again: sizes, lists, block, grid.
  void Sync();
  // The sign colour mode: which swatches show, and where.
  void ApplySignColorMode(bool tripleColor);

  // Handlers, named as the designer named them.
  void SpeedButtonClick(int button);  // SpeedButton1 to SpeedButton12: the tool of that button
  void InsertButtonClick();
  void SaveClick();
  void DeleteButtonClick();
  void ClearClick();
  void ListBox1MouseUp(QListWidgetItem* item);
  void SwatchMouseUp(char letter);
  void ZoomOut();  // SpeedButton13
  void ZoomIn();   // SpeedButton14
  void UndoClick();
  void RedoClick();
  // The hidden buttons' actions, with their file dialogs; the bitmap dialog's buttons call them.
  void SaveButtonClick();  // Export
  void LoadButtonClick();  // import

  // Export and import without the dialogs. An import is read and checked before any cell
  // changes; a failed one changes nothing.
  Status ExportBitmap(const std::filesystem::path& path);
  Status ImportBitmap(const std::filesystem::path& path);
  // The text dialog's OK: the lines rendered in the font at the pitch become the floating
  // block at the Text tool's anchor.
  void RenderText(const QStringList& lines, const QFont& font, int pitch);

  // The mouse on the grid (Image1), in grid pixels; public for the views.
  void GridPress(QPoint p, Qt::MouseButton button);
  void GridMove(QPoint p, Qt::MouseButtons buttons);
  void GridRelease(QPoint p, Qt::MouseButton button);
  void BlockPress(QPoint inBlock);
  void BlockMove(QPoint inBlock, Qt::MouseButtons buttons);
  void DropBlock();

  // Redraws the whole grid image: every cell of the W x H graphic as a round LED.
  void Redraw();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The panels, left to right, and what they hold.
  void BuildWindow();
  // Adds the list of stored graphics to the splitter; returns the width it starts at.
  int BuildListPanel(QSplitter* splitter);
  QGroupBox* BuildSizeGroup(QWidget* parent);
  QScrollArea* BuildGridBox(QWidget* parent);
  QHBoxLayout* BuildFileButtons(QWidget* parent);
  QGroupBox* BuildToolBox(QWidget* parent);
  QGroupBox* BuildZoomGroup(QWidget* parent);
  QGroupBox* BuildColourGroup(QWidget* parent);
  void BuildUndoKeys();

  void ApplySize();
  void Do(const ScreenWork& work);
  void DrawCell(QPainter& painter, int column, int row, char letter) const;
  void DrawBand(const RubberBand& band);
  void ShowBlock();
  void SetSizeEntries(const SizeEntries& entries);
  // The entry of the stored graphic the user chose in the list, or null.
  QListWidgetItem* ChosenEntry() const;
  // No entry chosen: Insert and Delete act on nothing until one is picked.
  void ForgetChosenEntry();
  QString ChooseBitmapFile(BitmapQuestion question);

  WindowContext& m_context;
  GraphicEditor m_editor;
  const GraphicFolder& m_folder;  // the workspace's
  TSelectGaphName* m_nameChooser = nullptr;
  std::function<void()> m_textInput;
  std::function<void()> m_bitmapDialog;
  BitmapFileChooser m_chooseFile;
  QImage m_gridImage;
  // A round LED of the cell size in each display colour, drawn once per size.
  std::array<QImage, 5> m_sprites;
  int m_spriteSize = 0;

  QListWidget* m_storedList = nullptr;  // ListBox1
  QComboBox* m_heightList = nullptr;    // ComboBox1
  QComboBox* m_widthList = nullptr;     // ComboBox2
  QComboBox* m_zoomList = nullptr;      // ComboBox3
  QScrollArea* m_gridBox = nullptr;     // ScrollBox1
  GridArea* m_gridArea = nullptr;
  GridView* m_gridView = nullptr;    // Image1
  BlockView* m_blockView = nullptr;  // AssistImage
  QButtonGroup* m_toolButtons = nullptr;
  Swatch* m_colourInUse = nullptr;            // Shape6
  std::array<Swatch*, 4> m_colourSwatches{};  // Shape7 to Shape10
  QPushButton* m_bitmapButton = nullptr;      // BmpButton
};

}  // namespace tavrin
