// How long the event loop can stand still while Send Message talks to a sign that never
// answers: "<BE>" and the message each wait out three reply time-outs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "common/settings.h"
#include "editor/Unit1.h"
#include "functions/Usetid.h"
#include "tests/support/main_window_qt.h"
#include "tests/support/pty_peer.h"

namespace {

namespace fs = std::filesystem;

class QuietNotice : public tavrin::Notice {
 public:
  tavrin::NoticeAnswer Show(tavrin::NoticeKind, tavrin::NoticeButtons,
                            const std::string&) override {
    return tavrin::NoticeAnswer::Ok;
  }
};

void BM_LongestStallDuringASilentSend(benchmark::State& state) {
  tavrin::testing::PtyPeer silentSign([](const std::string&) { return std::string(); });
  std::string tmpl = (fs::temp_directory_path() / "tavrin-bench-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
  tavrin::Settings(tavrin::SettingsPath(tmpl)).SetPortDevice(1, silentSign.Device()).Ok();
  tavrin::testing::MainWindow main{fs::path(tmpl)};
  tavrin::TForm1& form1 = main.form1;
  QuietNotice notice;
  form1.SetNotice(&notice);
  tavrin::TSetID setId(form1);
  setId.PreparePanel(tavrin::TSetID::Panel::SendMessage);
  form1.InsertAtCaret("<Red>Hello");
  setId.findChild<QComboBox*>("ComboBox5")->setCurrentIndex(1);

  for (auto _ : state) {
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      longest = std::max(longest, clock.elapsed() - last);
      last = clock.elapsed();
    });
    clock.start();
    ticker.start();
    setId.findChild<QPushButton*>("SendMessButton")->click();
    tavrin::testing::Settle(form1.Road());
    state.counters["longest_stall_ms"] = static_cast<double>(longest);
    state.counters["send_ms"] = static_cast<double>(clock.elapsed());
  }
  fs::remove_all(tmpl);
}
BENCHMARK(BM_LongestStallDuringASilentSend)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
