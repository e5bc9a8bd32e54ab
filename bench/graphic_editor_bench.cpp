// The graphic editor's speed: a full redraw of a 128 x 8 graphic at the largest zoom, a Pen
// stroke across the whole width (every move handled, none dropped), and undoing a Fill all.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <chrono>
#include <filesystem>

#include "editor/Unit1.h"
#include "graphics/Ugraphic.h"
#include "tests/support/main_window_qt.h"

namespace {

namespace fs = std::filesystem;

fs::path ScratchHome() {
  std::string tmpl = (fs::temp_directory_path() / "tavrin-bench-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
  return tmpl;
}

// A graphic form at 128 x 8 and zoom "8" (10 pixels a cell), every cell lit.
struct Form {
  Form()
      : home(ScratchHome()),
        workspace(home),
        form1(home, tavrin::testing::ViewOf(workspace)),
        editor(form1) {
    editor.Editor().SetWidth(128);
    editor.Editor().SetHeight(8);
    editor.Editor().SetCellSize(10);
    editor.Editor().SetTool("fill-all");
    editor.Editor().FillAll();
    editor.Sync();
  }
  ~Form() { fs::remove_all(home); }
  fs::path home;
  tavrin::Workspace workspace;
  tavrin::TForm1 form1;
  tavrin::TGraphicForm editor;
};

void BM_FullRedraw128x8AtZoom8(benchmark::State& state) {
  Form f;
  for (auto _ : state) f.editor.Redraw();
}
BENCHMARK(BM_FullRedraw128x8AtZoom8)->Unit(benchmark::kMillisecond);

void BM_PenStrokeAcrossTheWidth(benchmark::State& state) {
  Form f;
  QWidget* grid = f.editor.findChild<QWidget*>("Image1");
  int painted = 0;
  for (auto _ : state) {
    f.editor.Editor().Clear();
    f.editor.Editor().SetTool("pen");
    f.editor.Redraw();
    const auto start = std::chrono::steady_clock::now();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(0, 35), QPointF(0, 35), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &press);
    // One move a pixel: 1280 moves over 128 cells.
    for (int x = 0; x < 1280; ++x) {
      QMouseEvent move(QEvent::MouseMove, QPointF(x, 35), QPointF(x, 35), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(grid, &move);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1279, 35), QPointF(1279, 35),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid, &release);
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    painted = 0;
    for (int c = 0; c < 128; ++c) painted += f.editor.Editor().Cells().At(c, 3) == 'A' ? 1 : 0;
    state.counters["us_per_move"] = us / 1280;
  }
  state.counters["cells_painted_of_128"] = painted;
}
BENCHMARK(BM_PenStrokeAcrossTheWidth)->Unit(benchmark::kMillisecond);

void BM_UndoFillAll(benchmark::State& state) {
  tavrin::GraphicEditor editor;
  editor.SetWidth(128);
  editor.SetHeight(8);
  editor.SetTool("fill-all");
  for (auto _ : state) {
    state.PauseTiming();
    editor.SetColour(editor.Colour() == 'A' ? 'D' : 'A');
    editor.Press({0, 0}, tavrin::MouseButton::Left);
    editor.Release({0, 0}, tavrin::MouseButton::Left);
    state.ResumeTiming();
    editor.Undo();
  }
}
BENCHMARK(BM_UndoFillAll)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
