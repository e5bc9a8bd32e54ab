#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "fonts/user_font.h"
#include "preview/preview.h"
#include "ui/window_context.h"

namespace tavrin {

// The sign's dots, drawn as the sign shows them. However narrow the view, every column of the
// sign shows: the dots come closer together, down to a pixel or less.
class LedView : public QWidget {
  Q_OBJECT
 public:
  explicit LedView(QWidget* parent);
  void Show(const preview::LedFrame& frame, bool tripleColor);
  const preview::LedFrame& Frame() const { return m_frame; }
  // Where dot (x, y) of the frame is drawn, inside the view.
  QRectF DotRect(int x, int y) const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double Pitch() const;

  preview::LedFrame m_frame{128, preview::kSignRows};
  bool m_tripleColor = true;
};

// The preview under the editor: what the sign will show for Line 1, played with its effects,
// the width of the sign, and what will not show as typed. It follows every change of Line 1,
// the sign colour setting and the font maker's characters.
class PreviewPanel : public QWidget {
  Q_OBJECT
 public:
  PreviewPanel(WindowContext& context, std::function<const FontList*()> userFont);

  // Makes the preview again from Line 1 as it is now.
  void Refresh();
  // Play or pause the showing; paused, the line stands as it is held. The choice is kept in
  // the settings file and the next start begins with it.
  void PlayButtonClick();
  bool Playing() const { return m_playing; }
  const preview::Preview& Current() const { return m_preview; }

 protected:
  // Hidden (the View item off, the window minimised), the panel does not play: its timer
  // runs only while it can be seen.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ShowFrame();
  void NextFrame();

  WindowContext& m_context;
  std::function<const FontList*()> m_userFont;
  LedView* m_view = nullptr;
  QPushButton* m_playButton = nullptr;
  QComboBox* m_signWidth = nullptr;
  QLabel* m_warnings = nullptr;
  QTimer* m_timer = nullptr;
  preview::Preview m_preview;
  std::vector<preview::Shown> m_frames;
  std::size_t m_at = 0;
  bool m_playing = true;
  bool m_tripleColor = true;
};

}  // namespace tavrin
